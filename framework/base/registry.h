#pragma once
// The setup's three registry operations. Readers never fail: they fall back to a text the caller gives.
#include <windows.h>

#include <string>

// Sets `valueName` (empty: the default value) under root\subKey to `text` as REG_SZ, terminator included.
// The key and its missing parents are created; an empty subKey writes into root itself.
// False only when the key can't be opened or created.
bool WriteRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                         const std::wstring& text);

// The same for a REG_DWORD value.
bool WriteRegistryDword(HKEY root, const std::wstring& subKey, const std::wstring& valueName, DWORD value);

// REG_SZ and REG_EXPAND_SZ as stored (no expansion), REG_DWORD as signed decimal text; defaultText for a
// missing key or value, an empty text and any other type. The key is opened with create semantics, so a
// missing key is created empty when the caller may create it. use64BitView reads the 64-bit registry.
std::wstring ReadRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                                const std::wstring& defaultText, bool use64BitView = false);

// ReadRegistryString in the 64-bit view with file-system redirection switched off around the read and
// restored afterwards. Empty text (not defaultText) when the redirection switch is missing or refuses,
// as it does in a 32-bit system.
std::wstring ReadRegistryString64(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                                  const std::wstring& defaultText);

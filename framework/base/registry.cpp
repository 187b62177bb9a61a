#include "framework/base/registry.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/base/handles.h"

namespace {

// Text of a REG_SZ / REG_EXPAND_SZ value up to its first terminator; the stored bytes need not hold one.
std::wstring TextOf(const std::vector<BYTE>& data, DWORD size) {
  const wchar_t* chars = reinterpret_cast<const wchar_t*>(data.data());
  std::wstring text(chars, size / sizeof(wchar_t));
  const size_t end = text.find(L'\0');
  if (end != std::wstring::npos) text.resize(end);
  return text;
}

}  // namespace

namespace {

// Opens root\subKey for setting values (created with its parents) and sets one value; the write's own
// result is not looked at.
bool WriteRegistryValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName, DWORD type,
                        const void* data, DWORD bytes) {
  UniqueKey opened;
  HKEY key = root;
  if (!subKey.empty()) {
    if (::RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                          opened.receive(), nullptr) != ERROR_SUCCESS) {
      return false;
    }
    key = opened.get();
  }
  ::RegSetValueExW(key, valueName.c_str(), 0, type, static_cast<const BYTE*>(data), bytes);
  return true;
}

}  // namespace

bool WriteRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                         const std::wstring& text) {
  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return WriteRegistryValue(root, subKey, valueName, REG_SZ, text.c_str(), bytes);
}

bool WriteRegistryDword(HKEY root, const std::wstring& subKey, const std::wstring& valueName, DWORD value) {
  return WriteRegistryValue(root, subKey, valueName, REG_DWORD, &value, sizeof(value));
}

std::wstring ReadRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                                const std::wstring& defaultText, bool use64BitView) {
  UniqueKey key;
  const REGSAM access = KEY_QUERY_VALUE | (use64BitView ? KEY_WOW64_64KEY : 0);
  if (::RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key.receive(),
                        nullptr) != ERROR_SUCCESS) {
    return defaultText;
  }
  // The value can grow between asking for its size and reading it: ask again, a few times.
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return defaultText;
  }
  std::vector<BYTE> data;
  for (int attempt = 0;; ++attempt) {
    data.assign(size + sizeof(wchar_t), 0);  // room for a terminator the stored bytes may lack
    DWORD got = size;
    const LSTATUS status = ::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, data.data(), &got);
    if (status == ERROR_SUCCESS && got <= size) {
      size = got;
      break;
    }
    if (status != ERROR_MORE_DATA || attempt == 2) return defaultText;
    size = got;  // the size needed now
  }

  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    const std::wstring text = TextOf(data, size);
    return text.empty() ? defaultText : text;
  }
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    DWORD value = 0;
    memcpy(&value, data.data(), sizeof(value));
    return std::to_wstring(static_cast<int32_t>(value));
  }
  return defaultText;
}

std::wstring ReadRegistryString64(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                                  const std::wstring& defaultText) {
#ifdef _WIN64
  // A 64-bit process already sees the 64-bit system folder.
  return ReadRegistryString(root, subKey, valueName, defaultText, true);
#endif
  using DisableFn = BOOL(WINAPI*)(PVOID*);
  using RevertFn = BOOL(WINAPI*)(PVOID);
  // kernel32 is in every process; the switches are looked up because older systems lack them.
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return std::wstring();
  const auto disable = reinterpret_cast<DisableFn>(::GetProcAddress(kernel, "Wow64DisableWow64FsRedirection"));
  const auto revert = reinterpret_cast<RevertFn>(::GetProcAddress(kernel, "Wow64RevertWow64FsRedirection"));
  if (!disable || !revert) return std::wstring();

  PVOID saved = nullptr;
  if (!disable(&saved)) return std::wstring();
  std::wstring text = ReadRegistryString(root, subKey, valueName, defaultText, true);
  // The saved state itself, not its address: the rest of the setup must run with redirection as it was.
  revert(saved);
  return text;
}

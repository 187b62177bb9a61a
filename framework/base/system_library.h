#pragma once
// Where the setup's DLLs come from. It runs elevated, usually from a downloads folder that anything can write
// to, so no DLL or program is ever taken from its own folder or the current one: the search is cut down to the
// system folder before anything else runs, the current folder moves to the system folder, and every library it
// loads by name is named by its full system path.
#include <windows.h>

#include <string>

// The first thing the entry point does.
void RestrictDllSearchToSystem();

// The second: the current folder (usually the downloads folder the setup was started from) becomes the system
// folder, and NoDefaultCurrentDirectoryInExePath is set, so that neither the setup nor any program it starts
// looks for a program there. Whatever the setup reads from beside itself it finds through its own path.
void LeaveStartFolder();

// The folder the setup was started in, as it was before LeaveStartFolder; only shown (the folder browser starts
// there), never searched.
const std::wstring& StartFolder();

// A DLL of the system folder, by its full path, its dependencies from the system folder too; null when it is not
// there.
HMODULE LoadSystemLibrary(const wchar_t* name);

// What LoadSystemLibrary passes to LoadLibraryExW: LOAD_LIBRARY_SEARCH_SYSTEM32 wherever the system has
// SetDefaultDllDirectories, else LOAD_WITH_ALTERED_SEARCH_PATH (older systems refuse the search flags).
DWORD SystemLibraryLoadFlags();

// A DLL outside the system folder (the add-in), whose own dependencies come from its folder and the system
// folder only.
HMODULE LoadLibraryWithOwnFolder(const std::wstring& path);

// An entry of a loaded library as a function pointer of type F, or null.
template <typename F>
F FindEntry(HMODULE module, const char* entry) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, entry))) : nullptr;
}

#pragma once
// Where the setup's DLLs come from. It runs elevated, usually from a downloads folder that anything can write
// to, so no DLL is ever taken from its own folder or the current one: the search is cut down to the system
// folder before anything else runs, and every library it loads by name is named by its full system path.
#include <windows.h>

#include <string>

// The first thing the entry point does.
void RestrictDllSearchToSystem();

// A DLL of the system folder, by its full path; null when it is not there.
HMODULE LoadSystemLibrary(const wchar_t* name);

// A DLL outside the system folder (the add-in), whose own dependencies come from its folder and the system
// folder only.
HMODULE LoadLibraryWithOwnFolder(const std::wstring& path);

// An entry of a loaded library as a function pointer of type F, or null.
template <typename F>
F FindEntry(HMODULE module, const char* entry) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, entry))) : nullptr;
}

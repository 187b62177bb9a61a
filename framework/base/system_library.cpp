#include "framework/base/system_library.h"

#ifndef LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
#define LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR 0x00000100
#endif
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// Looked up: systems without the update that brought it have neither it nor the LOAD_LIBRARY_SEARCH flags.
SetDefaultDllDirectoriesFn SetDefaultDllDirectoriesEntry() {
  return FindEntry<SetDefaultDllDirectoriesFn>(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
}

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH] = L"";
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(folder, length);
}

}  // namespace

void RestrictDllSearchToSystem() {
  const auto setDefault = SetDefaultDllDirectoriesEntry();
  // Without it the older switch at least drops the current folder.
  if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) ::SetDllDirectoryW(L"");
}

std::wstring& StartFolderStore() {
  static std::wstring folder;
  return folder;
}

const std::wstring& StartFolder() { return StartFolderStore(); }

void LeaveStartFolder() {
  wchar_t start[MAX_PATH] = L"";
  const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, start);
  if (length > 0 && length < MAX_PATH) StartFolderStore() = start;
  const std::wstring system = SystemFolder();
  if (!system.empty()) ::SetCurrentDirectoryW(system.c_str());
  // Inherited by every program the setup starts; the setup's own starts name full paths anyway.
  ::SetEnvironmentVariableW(L"NoDefaultCurrentDirectoryInExePath", L"1");
}

DWORD SystemLibraryLoadFlags() {
  // The older flag searches a library's dependencies in its own folder, then the old order, which still ends
  // in the folders of PATH.
  return SetDefaultDllDirectoriesEntry() ? LOAD_LIBRARY_SEARCH_SYSTEM32 : LOAD_WITH_ALTERED_SEARCH_PATH;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  const std::wstring folder = SystemFolder();
  // Without the system folder there is no safe place to load from.
  if (folder.empty()) return nullptr;
  const std::wstring path = folder + L"\\" + name;
  return ::LoadLibraryExW(path.c_str(), nullptr, SystemLibraryLoadFlags());
}

HMODULE LoadLibraryWithOwnFolder(const std::wstring& path) {
  HMODULE module =
      ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Systems without those flags refuse them; the library's own folder still comes first for its dependencies.
  if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER) {
    module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  return module;
}

#pragma once
// Shared by the component, plug-in, add-in, stamp and deletion tests: the staged stand-in payload, folder
// snapshots, recorded failure reports and Unix symbolic links under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "install_test_helpers.h"
#include "integration/component_registry.h"

namespace component_test {

using namespace install_test;

using sys::ScopedEnvironment;

// payload-stage beside this program, ending with a backslash.
inline std::wstring StageFolder() { return sys::StageFolder() + L"\\"; }

// Copies staged files into `folder`, all of them when `names` is empty. The programs must run from a drive,
// and what they write beside themselves must not land in the stage.
inline void TakeStaged(const std::wstring& folder, const std::vector<std::wstring>& names = {}) {
  const std::wstring stage = StageFolder();
  const std::vector<std::wstring> all = names.empty() ? List(stage.substr(0, stage.size() - 1)) : names;
  ASSERT_FALSE(all.empty()) << "no staged payload at " << Narrow(stage);
  for (const std::wstring& name : all) {
    ASSERT_TRUE(::CopyFileW((stage + name).c_str(), (folder + L"\\" + name).c_str(), FALSE)) << Narrow(name);
  }
}

// The component table's row of an install routine.
inline const AddOnComponent& RowOf(int (ComponentRegistry::*install)()) {
  for (const AddOnComponent& row : kAddOnComponents) {
    if (row.install == install) return row;
  }
  ADD_FAILURE() << "no row installs with that routine";
  return kAddOnComponents[0];
}

// Every file and folder below `folder`, as relative paths, folders ending with a backslash, sorted.
inline std::vector<std::wstring> Tree(const std::wstring& folder, const std::wstring& prefix = L"") {
  std::vector<std::wstring> entries;
  for (const std::wstring& name : List(folder)) {
    if (IsFolder(folder + L"\\" + name)) {
      entries.push_back(prefix + name + L"\\");
      for (const std::wstring& inner : Tree(folder + L"\\" + name, prefix + name + L"\\")) entries.push_back(inner);
    } else {
      entries.push_back(prefix + name);
    }
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

inline std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
  std::sort(names.begin(), names.end());
  return names;
}

// Records every failure a ComponentRegistry reports, as "component: message".
class FailureLog {
 public:
  std::function<void(const std::wstring&, const std::wstring&)> hook() {
    return [this](const std::wstring& message, const std::wstring& component) {
      reports.push_back(component + L": " + message);
    };
  }
  size_t count(const std::wstring& report) const {
    return static_cast<size_t>(std::count(reports.begin(), reports.end(), report));
  }
  std::vector<std::wstring> reports;
};

// Values of a key as name -> (type, raw bytes); empty when the key is missing.
inline std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>> KeyValues(HKEY root, const std::wstring& path) {
  std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>> values;
  HKEY key;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    DWORD nameLength = 512;
    BYTE data[4096];
    DWORD size = sizeof(data);
    DWORD type = 0;
    if (::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    values[std::wstring(name, nameLength)] = {type, std::vector<BYTE>(data, data + size)};
  }
  ::RegCloseKey(key);
  return values;
}

// The REG_SZ form the records use: the text with its terminating zero.
inline std::pair<DWORD, std::vector<BYTE>> Sz(const std::wstring& text) {
  const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
  return {REG_SZ, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}

// --- Unix symbolic links under Wine ---

// The Unix path of a Windows path under Wine; empty elsewhere.
inline std::string UnixPath(const std::wstring& path) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName) return std::string();
  char* name = unixName(path.c_str());
  if (!name) return std::string();
  std::string result = name;
  ::HeapFree(::GetProcessHeap(), 0, name);
  return result;
}

inline bool RunningUnderWine() { return !UnixPath(L"C:\\").empty(); }

// Runs a Unix program through Wine (its process can't be waited for) and waits until `done` holds.
template <typename Done>
bool RunUnix(const std::wstring& program, const std::wstring& arguments, Done done) {
  std::wstring line = program + L" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessW((L"\\\\?\\unix" + program).c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, L"C:\\",
                        &startup, &process)) {
    return false;
  }
  // For a Unix program Wine may hand back no real handles: closing what it left there can close one of ours
  // (standard output, once), so they stay as they are.
  for (int i = 0; i < 250 && !done(); ++i) ::Sleep(20);
  return done();
}

// Wine splits a Unix program's command line like a Windows one.
inline std::wstring Quoted(const std::string& unixPath) {
  return L"\"" + std::wstring(unixPath.begin(), unixPath.end()) + L"\"";
}

// A symbolic link at `link` (relative target text) made on the Unix side: Wine's CreateSymbolicLinkW reports
// success and makes nothing.
inline bool MakeUnixLink(const std::wstring& target, const std::wstring& link) {
  const size_t cut = link.find_last_of(L'\\');
  const std::string folder = UnixPath(link.substr(0, cut));
  if (folder.empty()) return false;
  const std::wstring name = link.substr(cut + 1);
  return RunUnix(L"/bin/ln", L"-s " + target + L" " + Quoted(folder + "/" + Narrow(name)),
                 [&] { return ::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

// A link at `link` to a folder or a file: under Wine made on the Unix side to `unixTarget` (relative to the
// link's folder), elsewhere to `target`.
inline bool MakeLink(const std::wstring& unixTarget, const std::wstring& target, const std::wstring& link,
                     bool folder) {
  if (RunningUnderWine()) return MakeUnixLink(unixTarget, link);
  return ::CreateSymbolicLinkW(link.c_str(), target.c_str(), folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) != FALSE;
}

// Removes a whole folder on the Unix side, links as links.
inline bool RemoveOnUnixSide(const std::wstring& folder) {
  const std::string path = UnixPath(folder);
  if (path.empty()) return false;
  return RunUnix(L"/bin/rm", L"-rf " + Quoted(path),
                 [&] { return ::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

}  // namespace component_test

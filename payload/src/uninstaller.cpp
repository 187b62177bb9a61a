// "Uninstall.exe". Started by a newer setup as "<folder>\Uninstall.exe"UninstForInst it reports its progress
// through the setup's pipe; started by a user it removes the product quietly.
//
// KELTO_UNINSTALL_MODE steers the pipe mode for tests:
//   report (default)  remove the installation, report 3, 6 and 10 as three messages
//   fail              report -1
//   silent-exit       connect and end without a report
//   never-connect     end without connecting
//   first-10          remove the installation, then report 10 as the only message
// KELTO_UNINSTALL_NUL=0 sends the digits without their terminating NUL byte.
// KELTO_UNINSTALL_DELAY_MS is the pause between two reports (default 100).
// KELTO_UNINSTALL_WAIT_MS is a pause before connecting (default none), so that another client can come first.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "payload/src/standin.h"

namespace {

const wchar_t kPipeName[] = L"\\\\.\\pipe\\Kelto Quorbel";
const wchar_t kProductKey[] = L"Software\\Kelto Software\\Kelto Quorbel";
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kelto Quorbel";

std::wstring WithoutTrailingSlash(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

std::wstring ReadString(HKEY root, const wchar_t* subKey, const wchar_t* name, REGSAM view) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return std::wstring();
  wchar_t data[MAX_PATH * 2] = L"";
  DWORD type = 0;
  DWORD size = sizeof(data) - sizeof(wchar_t);
  const LONG status = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  ::RegCloseKey(key);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::wstring();
  return std::wstring(data);
}

// Full, long form without a trailing backslash, so that short names or a doubled backslash still match.
std::wstring Canonical(const std::wstring& path) {
  wchar_t full[MAX_PATH * 2] = L"";
  if (!::GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr)) return WithoutTrailingSlash(path);
  wchar_t longer[MAX_PATH * 2] = L"";
  if (!::GetLongPathNameW(full, longer, MAX_PATH * 2)) return WithoutTrailingSlash(full);
  return WithoutTrailingSlash(longer);
}

// Only the installation that the registry records as living in our own folder is removed: a copy of this
// program anywhere else (a build folder, a download folder) must not empty the folder it sits in.
bool RecordedHere(const std::wstring& folder) {
  const std::wstring here = Canonical(folder);
  if (here.size() <= 3) return false;  // never a drive's root
  for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY)}) {
    const std::wstring recorded = ReadString(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath", view);
    if (recorded.empty()) continue;
    if (::CompareStringOrdinal(Canonical(recorded).c_str(), -1, here.c_str(), -1, TRUE) == CSTR_EQUAL) {
      return true;
    }
  }
  return false;
}

// Deletes everything below folder except the file keep; folders that end up empty go too.
void RemoveContents(const std::wstring& folder, const std::wstring& keep) {
  WIN32_FIND_DATAW entry;
  HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + L"\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      // A linked folder is unlinked, never followed.
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) RemoveContents(path, keep);
      ::RemoveDirectoryW(path.c_str());
    } else if (::CompareStringOrdinal(path.c_str(), -1, keep.c_str(), -1, TRUE) != CSTR_EQUAL) {
      ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(path.c_str());  // a file in use stays
    }
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
}

void DeleteDefaultIfOurs(const wchar_t* subKey, const wchar_t* progId) {
  if (::CompareStringOrdinal(ReadString(HKEY_LOCAL_MACHINE, subKey, nullptr, 0).c_str(), -1, progId, -1, TRUE) !=
      CSTR_EQUAL) {
    return;
  }
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  ::RegDeleteValueW(key, nullptr);
  ::RegCloseKey(key);
}

void RemoveFiles(const std::wstring& folder) { RemoveContents(folder, standin::ModulePath()); }

void RemoveRegistry() {
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey);
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProductKey);
  // The user's language and the add-on component records.
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey);
  DeleteDefaultIfOurs(L"Software\\Classes\\.pdf", L"KeltoQuorbel.Document");
  DeleteDefaultIfOurs(L"Software\\Classes\\.fdf", L"KeltoQuorbel.FDFDoc");
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\KeltoQuorbel.Document");
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\KeltoQuorbel.FDFDoc");
}

class Reporter {
 public:
  Reporter() {
    withNul_ = standin::Environment(L"KELTO_UNINSTALL_NUL") != L"0";
    const std::wstring delay = standin::Environment(L"KELTO_UNINSTALL_DELAY_MS");
    if (!delay.empty()) delay_ = static_cast<DWORD>(std::wcstoul(delay.c_str(), nullptr, 10));
  }
  Reporter(const Reporter&) = delete;
  Reporter& operator=(const Reporter&) = delete;

  ~Reporter() {
    // Waits until the setup has read every report: on Wine what is still unread when the last client handle
    // closes is lost.
    if (pipe_ != INVALID_HANDLE_VALUE) {
      ::FlushFileBuffers(pipe_);
      ::CloseHandle(pipe_);
    }
  }

  bool Connect() {
    // The setup creates the pipe before it starts us; allow for a busy instance or a slow start all the same.
    for (int attempt = 0; attempt < 100; ++attempt) {
      pipe_ = ::CreateFileW(kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      if (pipe_ != INVALID_HANDLE_VALUE) return true;
      if (::GetLastError() == ERROR_PIPE_BUSY) {
        ::WaitNamedPipeW(kPipeName, 100);
      } else {
        ::Sleep(50);
      }
    }
    return false;
  }

  // One message per report: the decimal digits in the ANSI code page, by default followed by a NUL byte.
  bool Send(int value) {
    char text[16];
    const int length = std::snprintf(text, sizeof(text), "%d", value);
    const DWORD bytes = static_cast<DWORD>(length) + (withNul_ ? 1 : 0);
    DWORD written = 0;
    return ::WriteFile(pipe_, text, bytes, &written, nullptr) && written == bytes;
  }

  void Pause() const { ::Sleep(delay_); }

 private:
  HANDLE pipe_ = INVALID_HANDLE_VALUE;
  bool withNul_ = true;
  DWORD delay_ = 100;
};

int ForSetup() {
  const std::wstring mode = standin::Lower(standin::Environment(L"KELTO_UNINSTALL_MODE"));
  if (mode == L"never-connect") return 0;
  const std::wstring wait = standin::Environment(L"KELTO_UNINSTALL_WAIT_MS");
  if (!wait.empty()) ::Sleep(static_cast<DWORD>(std::wcstoul(wait.c_str(), nullptr, 10)));
  Reporter reporter;
  if (!reporter.Connect()) return 3;
  if (mode == L"silent-exit") return 0;
  if (mode == L"fail") return reporter.Send(-1) ? 1 : 3;

  const std::wstring folder = standin::ModuleFolder();
  const bool ours = RecordedHere(folder);
  if (mode == L"first-10") {
    if (ours) {
      RemoveFiles(folder);
      RemoveRegistry();
    }
    return reporter.Send(10) ? 0 : 3;
  }
  if (!reporter.Send(3)) return 3;
  if (ours) RemoveFiles(folder);
  reporter.Pause();
  if (!reporter.Send(6)) return 3;
  if (ours) RemoveRegistry();
  reporter.Pause();
  return reporter.Send(10) ? 0 : 3;
}

int ForUser() {
  const std::wstring folder = standin::ModuleFolder();
  if (!RecordedHere(folder)) return 1;
  RemoveFiles(folder);
  RemoveRegistry();
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring arguments = standin::Lower(standin::Arguments());
  return arguments.find(L"uninstforinst") != std::wstring::npos ? ForSetup() : ForUser();
}

#include "tests/driver/walk.h"

#include <cstdio>

#include "resources/ids.h"

namespace gui {

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

WalkResult Walk(Driver& driver, const std::vector<Step>& steps, const std::wstring& shotFolder) {
  WalkResult result;
  int index = 1;
  for (const Step& step : steps) {
    HWND page = driver.WaitForNamedPage(step.page);
    if (!page) {
      result.ok = false;
      result.error = "expected page " + step.page + ", last seen " +
                     (driver.lastPage().empty() ? std::string("none") : driver.lastPage());
      if (HWND box = driver.FindMessageBox()) {
        std::wstring text = Driver::MessageText(box);
        result.error += " (message box: " + std::string(text.begin(), text.end()) + ")";
      }
      return result;
    }
    result.route.push_back(step.page);
    if (!shotFolder.empty()) {
      wchar_t name[64];
      swprintf(name, 64, L"%02d-%ls.png", index, Widen(step.page).c_str());
      Driver::Screenshot(page, JoinPath(shotFolder, name));
    }
    ++index;
    if (!step.keys.empty()) {
      Driver::TypeKeys(page, step.keys);
    } else if (step.button) {
      Driver::Click(page, step.button);
    }
    if (!Driver::WaitGone(page)) {
      result.ok = false;
      result.error = "page " + step.page + " stayed open";
      return result;
    }
  }
  return result;
}

std::string ChooseNewFolder(Driver& driver, const std::wstring& folder, const std::wstring& shot) {
  HWND destination = driver.WaitForNamedPage("Destination");
  if (!destination) return "no destination page, last seen " + driver.lastPage();
  Driver::SetText(destination, IDC_DESTINATION_FOLDER, folder);
  if (!shot.empty()) Driver::Screenshot(destination, shot);
  Driver::Click(destination, IDC_DESTINATION_NEXT);
  HWND box = driver.WaitForMessageBox();
  if (!box) return "no question whether to create the folder";
  Driver::Answer(box, IDYES);
  if (!Driver::WaitGone(destination)) return "the destination page stayed";
  return std::string();
}

std::wstring ModuleFolder() {
  wchar_t path[MAX_PATH * 2] = L"";
  ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  std::wstring folder = path;
  // Wine names a program outside every drive "unix\...", which only works with the \\?\ prefix.
  if (folder.compare(0, 5, L"unix\\") == 0) folder = L"\\\\?\\" + folder;
  return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring StageSetup(const std::wstring& source) {
  const std::wstring folder = L"C:\\kelto";
  MakeFolders(folder);
  const std::wstring name = source.substr(source.find_last_of(L"\\/") + 1);
  const std::wstring target = JoinPath(folder, name);
  ::CopyFileW(source.c_str(), target.c_str(), FALSE);
  return target;
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
  std::vector<std::wstring> names;
  const bool ends = !folder.empty() && folder.back() == L'\\';
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((folder + (ends ? L"*" : L"\\*")).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return names;
}

bool WaitForProductStarted(DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (!::FindWindowW(L"KeltoQuorbelFrame", nullptr)) {
    if (::GetTickCount() - start >= timeoutMs) return false;
    ::Sleep(50);
  }
  ForgetInstallation();
  return true;
}

void ForgetInstallation() {
  // A product started by an earlier Finish would hold its program file open against the next install.
  for (HWND window; (window = ::FindWindowW(L"KeltoQuorbelFrame", nullptr)) != nullptr;) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid)) {
      ::WaitForSingleObject(process, 5000);
      ::CloseHandle(process);
    } else {
      ::Sleep(200);
    }
  }
  for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY)}) {
    HKEY key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Kelto Software", 0, KEY_ALL_ACCESS | view, &key) ==
        ERROR_SUCCESS) {
      ::RegDeleteTreeW(key, L"Kelto Quorbel");
      ::RegCloseKey(key);
    }
  }
}

}  // namespace gui

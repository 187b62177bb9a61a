#pragma once
// Shared by the install tests: sandbox folders, file and registry probes, packages, progress recording and a
// watcher for the real message boxes that code outside the prompter shows. Everything works on the real prefix;
// tests clean up.
#include <windows.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/install_context.h"
#include "engine/shortcuts.h"
#include "engine/package_writer.h"
#include "engine/product_records.h"
#include "test_support.h"
#include "tests/driver/system_state.h"
#include "tests/driver/walk.h"

namespace install_test {

using test_support::BuiltinText;
using test_support::BuiltinTexts;
using test_support::Prompt;
using test_support::RecordingPrompter;

using gui::MakeFolders;
using sys::DeleteKey;
using sys::Exists;
using sys::IsFolder;
using sys::KeyExists;
using sys::List;
using sys::Lower;
using sys::Narrow;
using sys::PrefixIs64Bit;
using sys::ReadText;
using sys::RemoveTree;
using sys::WriteText;

inline FILETIME CreationTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftCreationTime;
}

// A folder of this test's own under the temporary folder, without a trailing backslash; removed with its
// contents when the sandbox ends.
class Sandbox {
 public:
  explicit Sandbox(const std::wstring& label) {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    path_ = std::wstring(temp) + L"kelto-" + label + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    RemoveTree(path_);
    ::CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~Sandbox() { RemoveTree(path_); }
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

using PackageFiles = std::vector<std::pair<std::string, std::string>>;

// A package stream as the setup carries it, with a fast encoder setting; the header's selection flag and
// index as given.
inline std::vector<uint8_t> BuildPackage(const PackageFiles& files, uint32_t flag = 0, int32_t index = -1) {
  std::vector<uint8_t> container;
  AppendPackageHeader(container, static_cast<uint32_t>(files.size()), flag, index);
  for (const auto& [name, data] : files) {
    AppendPackageEntry(container, name, {reinterpret_cast<const uint8_t*>(data.data()), data.size()});
  }
  std::vector<uint8_t> stream;
  LzmaEncodeSettings fast;
  fast.preset = 1;
  fast.dictionarySize = 1u << 20;
  if (!EncodeLzmaAlone({container.data(), container.size()}, stream, fast)) stream.clear();
  return stream;
}

// --- registry -------------------------------------------------------------------------------------------

struct RawValue {
  bool found = false;
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
  std::wstring text() const {
    std::wstring s(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    if (!s.empty() && s.back() == L'\0') s.pop_back();
    return s;
  }
};

// The view the setup writes its machine records into: the 32-bit one for the 32-bit setup, the 64-bit one for
// the 64-bit test build (the process's own view either way).
constexpr REGSAM kSetupView = sizeof(void*) == 4 ? KEY_WOW64_32KEY : 0;

// Reads a value without creating anything, in the given view (0, KEY_WOW64_32KEY or KEY_WOW64_64KEY).
inline RawValue ReadRaw(HKEY root, const std::wstring& key, const std::wstring& name, REGSAM view = 0) {
  RawValue value;
  HKEY opened;
  if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) return value;
  DWORD size = 0;
  if (::RegQueryValueExW(opened, name.c_str(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
    value.bytes.resize(size);
    value.found =
        ::RegQueryValueExW(opened, name.c_str(), nullptr, &value.type, value.bytes.data(), &size) == ERROR_SUCCESS;
    value.bytes.resize(size);
  }
  ::RegCloseKey(opened);
  return value;
}

inline void SetRaw(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
                   DWORD size, REGSAM view = 0) {
  HKEY opened;
  if (::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &opened, nullptr) ==
      ERROR_SUCCESS) {
    ::RegSetValueExW(opened, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(opened);
  }
}

// Removes key, then its parents up to (not including) `stop`, each only while it has nothing left in it.
inline void DeleteKeyAndEmptyParents(HKEY root, std::wstring key, const std::wstring& stop, REGSAM view = 0) {
  DeleteKey(root, key, view);
  for (size_t cut = key.rfind(L'\\'); cut != std::wstring::npos && key.substr(0, cut) != stop; cut = key.rfind(L'\\')) {
    key.resize(cut);
    if (::RegDeleteKeyExW(root, key.c_str(), view, 0) != ERROR_SUCCESS) break;  // not empty: keep it
  }
}

// The product's records in both views and the user's language key, with parents left empty by them.
inline void RemoveProductRecords() {
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    DeleteKey(HKEY_LOCAL_MACHINE, kUninstallKey, view);
    DeleteKeyAndEmptyParents(HKEY_LOCAL_MACHINE, kProductKey, L"Software", view);
  }
  DeleteKeyAndEmptyParents(HKEY_CURRENT_USER, kLanguageKey, L"Software");
}

// --- shell links ------------------------------------------------------------------------------------------

inline const wchar_t kQuickLaunch[] = L"\\Microsoft\\Internet Explorer\\Quick Launch";

using sys::LinkProperties;
using sys::ReadLink;

// The five special folders the shortcuts use, resolved the way the setup resolves them.
struct Folders {
  std::wstring commonDesktop = SpecialFolderPath(CSIDL_COMMON_DESKTOPDIRECTORY);
  std::wstring desktop = SpecialFolderPath(CSIDL_DESKTOPDIRECTORY);
  std::wstring commonPrograms = SpecialFolderPath(CSIDL_COMMON_PROGRAMS);
  std::wstring programs = SpecialFolderPath(CSIDL_PROGRAMS);
  std::wstring quickLaunch = SpecialFolderPath(CSIDL_APPDATA) + kQuickLaunch;
};

// Takes every link and Start-menu folder the setup may have made under these names out of the special folders.
inline void RemoveProductLinks(const Folders& folders, const std::vector<std::wstring>& names) {
  for (const std::wstring& name : names) {
    RemoveTree(folders.commonPrograms + L"\\" + name);
    RemoveTree(folders.programs + L"\\" + name);
    for (const std::wstring& folder : {folders.commonDesktop, folders.desktop, folders.quickLaunch}) {
      ::DeleteFileW((folder + L"\\" + name + L".lnk").c_str());
    }
  }
}

// Restores the prefix's quick-launch folder as it was: a folder a test made (with Make or through the code
// under test) goes again, one the prefix had stays.
class QuickLaunchScope {
 public:
  explicit QuickLaunchScope(const Folders& folders) : path_(folders.quickLaunch), wasMissing_(!IsFolder(path_)) {}
  ~QuickLaunchScope() {
    if (!wasMissing_) return;
    RemoveTree(path_);
    ::RemoveDirectoryW(path_.substr(0, path_.rfind(L'\\')).c_str());  // "Internet Explorer", if left empty
  }
  QuickLaunchScope(const QuickLaunchScope&) = delete;
  QuickLaunchScope& operator=(const QuickLaunchScope&) = delete;
  void Make() const { MakeFolders(path_); }
  bool wasMissing() const { return wasMissing_; }

 private:
  std::wstring path_;
  bool wasMissing_;
};

// --- progress ---------------------------------------------------------------------------------------------

// Keeps every call in order: "pos 5", "status Please wait while ...", "finish 1032".
class RecordingProgress : public InstallProgress {
 public:
  void SetPosition(int position) override { calls.push_back(L"pos " + std::to_wstring(position)); }
  void SetStatus(const std::wstring& text) override { calls.push_back(L"status " + text); }
  void Finish(int code) override { calls.push_back(L"finish " + std::to_wstring(code)); }
  std::vector<std::wstring> positions() const {
    std::vector<std::wstring> out;
    for (const std::wstring& call : calls) {
      if (call.compare(0, 4, L"pos ") == 0) out.push_back(call.substr(4));
    }
    return out;
  }
  std::vector<std::wstring> calls;
};

// --- message boxes ----------------------------------------------------------------------------------------

// Watches the calling thread for message boxes (dialog class "#32770"), records each one and answers it with
// `button` where the box has that button, else with OK, so that an unexpected box can't hang a test.
// `beforeAnswer(n)` runs before the n-th box (from 1) is answered.
class MessageBoxAnswerer {
 public:
  struct Box {
    std::wstring caption, text;
    HWND owner = nullptr;
    bool hasCancel = false;
  };

  explicit MessageBoxAnswerer(std::function<void(int)> beforeAnswer = {}, int button = IDOK)
      : beforeAnswer_(std::move(beforeAnswer)), button_(button), thread_(::GetCurrentThreadId()) {
    worker_ = std::thread([this] { Watch(); });
  }
  ~MessageBoxAnswerer() { Stop(); }
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  // Ends the watch; read boxes() only after this.
  void Stop() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
  }
  const std::vector<Box>& boxes() const { return boxes_; }

 private:
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
    wchar_t className[32] = {};
    ::GetClassNameW(hwnd, className, 32);
    if (std::wstring(className) != L"#32770" || !::IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(lp) = hwnd;
    return FALSE;
  }
  void Watch() {
    HWND answered = nullptr;
    while (!stop_) {
      ::Sleep(20);
      if (answered && ::IsWindow(answered)) continue;  // the last box is still closing
      HWND box = nullptr;
      ::EnumThreadWindows(thread_, Visit, reinterpret_cast<LPARAM>(&box));
      if (!box) continue;
      wchar_t caption[256] = {}, text[1024] = {};
      ::GetWindowTextW(box, caption, 256);
      ::GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the message box's text control
      boxes_.push_back({caption, text, ::GetWindow(box, GW_OWNER), ::GetDlgItem(box, IDCANCEL) != nullptr});
      if (beforeAnswer_) beforeAnswer_(static_cast<int>(boxes_.size()));
      const int button = ::GetDlgItem(box, button_) ? button_ : IDOK;
      ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
      answered = box;
    }
  }

  std::function<void(int)> beforeAnswer_;
  int button_;
  DWORD thread_;
  std::atomic<bool> stop_{false};
  std::vector<Box> boxes_;
  std::thread worker_;
};

// --- security descriptors ---------------------------------------------------------------------------------

// The DACL of a descriptor in SDDL form, or "<unreadable>".
inline std::wstring SddlOf(PSECURITY_DESCRIPTOR descriptor) {
  LPWSTR text = nullptr;
  if (!descriptor || !::ConvertSecurityDescriptorToStringSecurityDescriptorW(
                         descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    return L"<unreadable>";
  }
  const std::wstring sddl = text;
  ::LocalFree(text);
  return sddl;
}

// The DACL of a file or folder in SDDL form, or "<unreadable>".
inline std::wstring SecurityOf(const std::wstring& path) {
  DWORD needed = 0;
  ::GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
  std::vector<BYTE> descriptor(needed ? needed : 1);
  if (!::GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed)) {
    return L"<unreadable>";
  }
  return SddlOf(descriptor.data());
}

// Whom the allowing entries of an SDDL DACL name ("SY", "BA", ...).
inline std::set<std::wstring> TrusteesOf(const std::wstring& sddl) {
  std::set<std::wstring> trustees;
  for (size_t open = sddl.find(L"(A;"); open != std::wstring::npos; open = sddl.find(L"(A;", open + 1)) {
    const size_t close = sddl.find(L')', open);
    const size_t lastSemicolon = sddl.rfind(L';', close);
    trustees.insert(sddl.substr(lastSemicolon + 1, close - lastSemicolon - 1));
  }
  return trustees;
}

// Wine keeps a descriptor only as Unix permissions: what it reads back is the owner, SYSTEM and, for a folder
// made without a descriptor, everyone ("WD") with read and execute.
inline bool RunsOnWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace install_test

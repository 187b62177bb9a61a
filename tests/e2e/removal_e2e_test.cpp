// Removal of an earlier installation through the real setup, driven from outside: the old uninstaller over the
// pipe (the stand-in's modes), the built-in removal of an installation our own setup made, and the installer
// service.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/ids.h"
#include "tests/driver/system_state.h"
#include "tests/driver/walk.h"
#include "tests/e2e/wizard_session.h"

namespace {

using gui::Driver;

using sys::kProductKey;
using sys::kUninstallKey;
const wchar_t kCaption[] = L"Kelto Quorbel Install Wizard";
const wchar_t kDeletingText[] = L"Please wait while deleting files...";
const wchar_t kInUseText[] = L"Kelto Quorbel is being used, please exit and retry.";
const wchar_t kMsiexecLog[] = L"C:\\kelto\\msiexec-log.txt";

// Copied over the prefix's msiexec.exe, this program only writes down how it was started, and that it ran to
// its end a second later.
const bool kRecordedAsMsiexec = [] {
  wchar_t path[MAX_PATH * 2] = L"";
  ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  const std::wstring self = path;
  if (::lstrcmpiW(self.substr(self.find_last_of(L'\\') + 1).c_str(), L"msiexec.exe") != 0) return false;
  auto append = [](const std::wstring& line) {
    HANDLE log = ::CreateFileW(kMsiexecLog, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    const std::wstring text = line + L"\n";
    DWORD written = 0;
    ::WriteFile(log, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(log);
  };
  append(::GetCommandLineW());
  ::Sleep(1000);
  append(L"ended");
  ::ExitProcess(0);
  return true;
}();

using sys::DeleteKey;
using sys::Exists;
using sys::KeyExists;
using sys::PrinterExists;
using sys::ReadText;
using sys::ReadValue;
using sys::RemoveTree;
using sys::ScopedEnvironment;
using sys::SpecialFolder;
using sys::StagedFile;
using sys::WriteText;
using sys::WriteValue;

using sys::List;

// --- the fixture -----------------------------------------------------------------------------------------

const wchar_t kOldFolder[] = L"C:\\Old Quorbel";

class Removal : public e2e::SetupFixture {
 protected:
  void SetUp() override {
    SetupFixture::SetUp();
    RemoveTree(kOldFolder);
  }
  void TearDown() override {
    SetupFixture::TearDown();
    RemoveTree(kOldFolder);
  }

  // An earlier installation as the pipe and built-in removals find it: its record and its files.
  static void SeedInstallation(const wchar_t* version, const std::wstring& folder = kOldFolder) {
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(
        ::CopyFileW(StagedFile(L"Kelto Quorbel.exe").c_str(), (folder + L"\\Kelto Quorbel.exe").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW(StagedFile(L"Uninstall.exe").c_str(), (folder + L"\\Uninstall.exe").c_str(), FALSE));
    WriteValue(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath", folder);
    WriteValue(HKEY_LOCAL_MACHINE, kProductKey, L"Version", version);
  }

  // Start, Welcome, Next on the existing-version page: the removal runs.
  void StartRemoval() {
    Start();
    Press("Welcome", IDC_WELCOME_NEXT);
    Press("Existing", IDC_EXISTING_NEXT);
  }
  // From the current page out through a confirmed Cancel and the interrupted page.
  void CancelOut(const char* page, int cancel) {
    HWND window = driver_.WaitForNamedPage(page);
    ASSERT_NE(window, nullptr);
    Driver::Click(window, cancel);
    HWND box = driver_.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    Driver::Answer(box, IDYES);
    Press("Interrupted", IDC_INTERRUPTED_FINISH);
    EXPECT_TRUE(driver_.WaitForExit(20000));
  }

  // A visible progress window of the setup, told by its bar's control ID; null when none shows.
  struct WindowSearch {
    DWORD pid;
    int barId;
    HWND found;
  };
  static BOOL CALLBACK VisitWindow(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<WindowSearch*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    HWND bar = ::GetDlgItem(hwnd, search->barId);
    if (pid != search->pid || !::IsWindowVisible(hwnd) || !bar) return TRUE;
    wchar_t name[32] = L"";
    ::GetClassNameW(bar, name, 32);
    if (std::wstring(name) != PROGRESS_CLASSW) return TRUE;
    search->found = hwnd;
    return FALSE;
  }
  HWND FindProgressWindow(int barId) const {
    WindowSearch search{driver_.pid(), barId, nullptr};
    ::EnumWindows(&VisitWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  HWND WaitForProgressWindow(int barId, DWORD timeoutMs = 15000) const {
    for (DWORD waited = 0; waited < timeoutMs; waited += 10) {
      if (HWND window = FindProgressWindow(barId)) return window;
      ::Sleep(10);
    }
    return nullptr;
  }
  // The bar's position; -1 when the window does not answer within a second.
  static int BarPosition(HWND window, int barId) {
    DWORD_PTR position = 0;
    if (!::SendMessageTimeoutW(::GetDlgItem(window, barId), PBM_GETPOS, 0, 0, SMTO_BLOCK, 1000, &position)) return -1;
    return static_cast<int>(position);
  }
};

// --- the old uninstaller over the pipe -------------------------------------------------------------------

TEST_F(Removal, UninstallerReportsShowTheirProgressAndTheLicenceFollows) {
  SeedInstallation(L"2.1.0.0100");
  ScopedEnvironment mode(L"KELTO_UNINSTALL_MODE", L"report");
  ScopedEnvironment delay(L"KELTO_UNINSTALL_DELAY_MS", L"1500");
  StartRemoval();

  HWND window = WaitForProgressWindow(IDC_PIPE_REMOVAL_BAR);
  ASSERT_NE(window, nullptr) << "window 178 did not show";
  EXPECT_EQ(Driver::Caption(window), kCaption);
  EXPECT_EQ(Driver::ItemText(window, IDC_PIPE_REMOVAL_TEXT), kDeletingText);
  Driver::Screenshot(window, gui::JoinPath(ShotFolder(), L"01-Window178.png"));
  // Every position the bar takes while the window is up, each once.
  std::vector<int> positions;
  while (::IsWindow(window)) {
    const int position = BarPosition(window, IDC_PIPE_REMOVAL_BAR);
    if (position >= 0 && ::IsWindow(window) && (positions.empty() || positions.back() != position)) {
      positions.push_back(position);
    }
    ::Sleep(10);
  }
  ASSERT_GE(positions.size(), 2u);
  EXPECT_EQ(positions[0], 30);
  EXPECT_EQ(positions[1], 60);

  // Success: the loop forgets the old version, so Back from the licence goes to the welcome page.
  Press("Licence", IDC_LICENCE_BACK);
  ASSERT_NE(driver_.WaitForNamedPage("Welcome"), nullptr);
  EXPECT_EQ(List(kOldFolder), std::vector<std::wstring>{L"Uninstall.exe"}) << "the stand-in removes the rest";
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey));
  CancelOut("Welcome", IDC_WELCOME_CANCEL);
}

TEST_F(Removal, UninstallerThatFinishesAtOnceShowsNoWindow) {
  SeedInstallation(L"2.1.0.0100");
  ScopedEnvironment mode(L"KELTO_UNINSTALL_MODE", L"first-10");
  StartRemoval();
  bool sawWindow = false;
  HWND licence = nullptr;
  for (const DWORD start = ::GetTickCount(); !licence && ::GetTickCount() - start < 15000;) {
    sawWindow = sawWindow || FindProgressWindow(IDC_PIPE_REMOVAL_BAR) != nullptr;
    HWND page = driver_.WaitForPage(10);
    if (page && driver_.lastPage() == "Licence") licence = page;
    ::Sleep(10);
  }
  EXPECT_FALSE(sawWindow);
  ASSERT_NE(licence, nullptr) << "last page " << driver_.lastPage();
  CancelOut("Licence", IDC_LICENCE_DISAGREE);
}

TEST_F(Removal, UninstallerThatFailsLeavesOrNeverComesLeadsToTheInterruptedPage) {
  for (const wchar_t* mode : {L"fail", L"silent-exit", L"never-connect"}) {
    SCOPED_TRACE(std::string(mode, mode + wcslen(mode)));
    SeedInstallation(L"2.1.0.0100");
    ScopedEnvironment environment(L"KELTO_UNINSTALL_MODE", mode);
    StartRemoval();
    const DWORD start = ::GetTickCount();
    HWND interrupted = driver_.WaitForNamedPage("Interrupted", 20000);
    ASSERT_NE(interrupted, nullptr) << "last page " << driver_.lastPage();
    EXPECT_LT(::GetTickCount() - start, 10000u);
    EXPECT_EQ(FindProgressWindow(IDC_PIPE_REMOVAL_BAR), nullptr);
    // Nothing was removed.
    EXPECT_TRUE(Exists(std::wstring(kOldFolder) + L"\\Kelto Quorbel.exe"));
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kProductKey, L"Version"), L"2.1.0.0100");
    Press("Interrupted", IDC_INTERRUPTED_FINISH);
    EXPECT_TRUE(driver_.WaitForExit(20000));
    driver_.Kill();
  }
}

TEST_F(Removal, APipeThatCannotBeCreatedEndsTheSetupWithOneLineOnItsOutput) {
  SeedInstallation(L"2.1.0.0100");
  // An instance that allows no other takes the name, or one that allows any number: the setup's pipe must be
  // the first of its name either way.
  for (const DWORD instances : {DWORD{1}, DWORD{PIPE_UNLIMITED_INSTANCES}}) {
    SCOPED_TRACE(instances);
    HANDLE taken = ::CreateNamedPipeW(L"\\\\.\\pipe\\Kelto Quorbel", PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE, instances,
                                      100, 100, 0, nullptr);
    ASSERT_NE(taken, INVALID_HANDLE_VALUE);
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr;
    ASSERT_TRUE(::CreatePipe(&outRead, &outWrite, &inherit, 0));
    ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    std::wstring line = L"\"" + setup_ + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outWrite;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(
        ::CreateProcessW(setup_.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, L"C:\\kelto", &startup, &info));
    ::CloseHandle(outWrite);
    ::CloseHandle(info.hThread);
    driver_.Attach(info.dwProcessId);
    Press("Welcome", IDC_WELCOME_NEXT);
    Press("Existing", IDC_EXISTING_NEXT);
    const DWORD ended = ::WaitForSingleObject(info.hProcess, 15000);
    if (ended != WAIT_OBJECT_0) ::TerminateProcess(info.hProcess, 1);
    EXPECT_EQ(ended, WAIT_OBJECT_0) << "the setup went on";
    std::string output;
    char buffer[256];
    DWORD got = 0;
    while (::ReadFile(outRead, buffer, sizeof(buffer), &got, nullptr) && got) output.append(buffer, got);
    EXPECT_EQ(output, "CreatePipe failed\n");
    EXPECT_TRUE(Exists(std::wstring(kOldFolder) + L"\\Kelto Quorbel.exe")) << "nothing may have been removed";
    ::CloseHandle(outRead);
    ::CloseHandle(info.hProcess);
    ::CloseHandle(taken);
  }
}

// --- the built-in removal of an installation of our own ----------------------------------------------------

class BuiltInRemoval : public Removal {
 protected:
  void TearDown() override {
    Removal::TearDown();
    // What a failed run may have left of the installation.
    RemoveTree(L"C:\\Kelto Old");
    RemoveTree(SpecialFolder(CSIDL_PROGRAM_FILES) + L"\\Kelto Software\\Kelto Quorbel");
    ::RemoveDirectoryW((SpecialFolder(CSIDL_PROGRAM_FILES) + L"\\Kelto Software").c_str());
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) RemoveTree(SpecialFolder(csidl) + L"\\Kelto Quorbel");
    for (int csidl : {CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY}) {
      ::DeleteFileW((SpecialFolder(csidl) + L"\\Kelto Quorbel.lnk").c_str());
    }
    DeleteKey(HKEY_CURRENT_USER, kProductKey);
    DeleteKey(HKEY_LOCAL_MACHINE, kUninstallKey);
  }

  // The wizard's whole route, into `folder` through the destination page, or the default folder when empty.
  void Install(const std::wstring& folder) {
    Start();
    Press("Welcome", IDC_WELCOME_NEXT);
    InstallFromTheLicence(folder);
    driver_.Kill();
  }
  // The route on from the licence page to the setup's end.
  void InstallFromTheLicence(const std::wstring& folder) {
    Press("Licence", IDC_LICENCE_AGREE);
    if (folder.empty()) {
      Press("Type", IDC_TYPE_DEFAULT);
    } else {
      Press("Type", IDC_TYPE_CUSTOM);
      const std::string chosen = gui::ChooseNewFolder(driver_, folder);
      ASSERT_TRUE(chosen.empty()) << chosen;
    }
    Press("Desktop", IDC_DESKTOP_NEXT);
    Press("Summary", IDC_SUMMARY_INSTALL);
    HWND finish = driver_.WaitForNamedPage("Finish", 120000);
    ASSERT_NE(finish, nullptr) << "last page " << driver_.lastPage();
    // The old program must not be left running by the finish actions.
    if (Driver::IsChecked(finish, IDC_FINISH_RUN)) Driver::Click(finish, IDC_FINISH_RUN);
    ::Sleep(200);
    Press("Finish", IDC_FINISH_FINISH);
    ASSERT_TRUE(driver_.WaitForExit(60000));
  }
  // The record made older than the pipe uninstaller, so the next setup removes it itself.
  static std::wstring MakeOlder() {
    WriteValue(HKEY_LOCAL_MACHINE, kProductKey, L"Version", L"1.5.0.0100");
    std::wstring folder = ReadValue(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath");
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
  }
  // Next on the existing-version page; window 179 shows, does its work and the licence page follows.
  void RunBuiltInRemoval() {
    Start();
    Press("Welcome", IDC_WELCOME_NEXT);
    HWND existing = driver_.WaitForNamedPage("Existing");
    ASSERT_NE(existing, nullptr);
    EXPECT_EQ(Driver::ItemText(existing, IDC_EXISTING_TEXT),
              L"An old version has been installed in your computer. To continue installing, please close all "
              L"related applications, and click Next to continue.");
    Press("Existing", IDC_EXISTING_NEXT);
    HWND window = WaitForProgressWindow(IDC_BUILTIN_REMOVAL_BAR);
    ASSERT_NE(window, nullptr) << "window 179 did not show";
    EXPECT_EQ(Driver::Caption(window), kCaption);
    Driver::Screenshot(window, gui::JoinPath(ShotFolder(), L"01-Window179.png"));
    ASSERT_NE(driver_.WaitForNamedPage("Licence", 60000), nullptr) << "last page " << driver_.lastPage();
  }
};

TEST_F(BuiltInRemoval, TakesAnOlderInstallationOfOurOwnAwayUpToTheFolderThatExisted) {
  ::CreateDirectoryW(L"C:\\Kelto Old", nullptr);
  Install(L"C:\\Kelto Old\\Deep\\Kelto Quorbel");
  const std::wstring folder = MakeOlder();
  ASSERT_EQ(folder, L"C:\\Kelto Old\\Deep\\Kelto Quorbel");
  ASSERT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kProductKey, L"ExistPath"), L"c:\\kelto old");
  const std::wstring menu = SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"\\Kelto Quorbel";
  const std::wstring desktopLink = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Kelto Quorbel.lnk";
  ASSERT_TRUE(Exists(folder + L"\\Kelto Quorbel.exe"));
  ASSERT_TRUE(Exists(folder + L"\\kpdfcjk.bin"));
  ASSERT_TRUE(Exists(menu + L"\\Kelto Quorbel.lnk"));
  ASSERT_TRUE(Exists(desktopLink));
  ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\Kelto Software\\Kelto Quorbel\\Updates List"));
  ASSERT_TRUE(PrinterExists(L"Kelto Quorbel Printer"));
  // The stand-in plug-in uninstaller logs beside itself, which would keep the folder; its run is checked
  // in the test of the user's files.
  ASSERT_TRUE(::DeleteFileW((folder + L"\\UnPDFReaderPlugin.exe").c_str()));

  RunBuiltInRemoval();
  EXPECT_FALSE(Exists(folder));
  EXPECT_FALSE(Exists(L"C:\\Kelto Old\\Deep"));
  EXPECT_TRUE(Exists(L"C:\\Kelto Old")) << "it existed before the installation";
  EXPECT_FALSE(Exists(menu));
  EXPECT_FALSE(Exists(desktopLink));
  EXPECT_FALSE(PrinterExists(L"Kelto Quorbel Printer"));
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) EXPECT_FALSE(KeyExists(root, kProductKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

  // The old version is forgotten: Back from the licence goes to the welcome page.
  Press("Licence", IDC_LICENCE_BACK);
  CancelOut("Welcome", IDC_WELCOME_CANCEL);
}

TEST_F(BuiltInRemoval, UpgradeRemovesTheOldVersionAndInstallsTheNewOne) {
  ::CreateDirectoryW(L"C:\\Kelto Old", nullptr);
  Install(L"C:\\Kelto Old\\Deep\\Kelto Quorbel");
  const std::wstring old = MakeOlder();
  ASSERT_TRUE(::DeleteFileW((old + L"\\UnPDFReaderPlugin.exe").c_str()));

  RunBuiltInRemoval();
  EXPECT_FALSE(Exists(old));
  // The old version is gone: the normal route follows, into the default folder.
  InstallFromTheLicence(L"");

  const std::wstring folder = SpecialFolder(CSIDL_PROGRAM_FILES) + L"\\Kelto Software\\Kelto Quorbel";
  EXPECT_TRUE(Exists(folder + L"\\Kelto Quorbel.exe"));
  EXPECT_TRUE(Exists(folder + L"\\Uninstall.exe"));
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kProductKey, L"Version"), L"2.2.4.0225");
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath"), folder + L"\\");
  EXPECT_TRUE(PrinterExists(L"Kelto Quorbel Printer"));
}

TEST_F(BuiltInRemoval, KeepsTheUsersFilesInTheOldFolder) {
  Install(L"");
  const std::wstring folder = MakeOlder();
  ASSERT_TRUE(Exists(folder + L"\\Kelto Quorbel.exe"));
  ASSERT_TRUE(WriteText(folder + L"\\My Letter.pdf", "mine"));
  ::CreateDirectoryW((folder + L"\\Letters").c_str(), nullptr);
  ASSERT_TRUE(WriteText(folder + L"\\Letters\\Old Letter.pdf", "mine too"));

  RunBuiltInRemoval();
  std::vector<std::wstring> left = List(folder);
  std::sort(left.begin(), left.end());
  // The stand-in plug-in uninstaller's log of its run is the one other file.
  EXPECT_EQ(left, (std::vector<std::wstring>{L"Letters", L"My Letter.pdf", L"plugin-log.txt"}));
  EXPECT_NE(ReadText(folder + L"\\plugin-log.txt").find("UnPDFReaderPlugin.exe"), std::string::npos);
  EXPECT_EQ(ReadText(folder + L"\\Letters\\Old Letter.pdf"), "mine too");
  CancelOut("Licence", IDC_LICENCE_DISAGREE);
}

TEST_F(BuiltInRemoval, ARunningOldProgramStopsItWithTextNinetyEight) {
  SeedInstallation(L"1.5.0.0100");
  const std::wstring program = std::wstring(kOldFolder) + L"\\Kelto Quorbel.exe";
  const std::string programBytes = ReadText(program);
  // The old program running, as a user would have it.
  std::wstring line = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION running{};
  ASSERT_TRUE(
      ::CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, kOldFolder, &startup, &running));
  ::CloseHandle(running.hThread);
  ::WaitForInputIdle(running.hProcess, 5000);
  StartRemoval();
  HWND box = driver_.WaitForMessageBox();
  ASSERT_NE(box, nullptr) << "no message box; last page " << driver_.lastPage();
  EXPECT_EQ(Driver::MessageText(box), kInUseText);
  EXPECT_EQ(Driver::Caption(box), kCaption);
  Driver::Screenshot(box, gui::JoinPath(ShotFolder(), L"01-InUse.png"));
  Driver::Answer(box, IDOK);
  ASSERT_NE(driver_.WaitForNamedPage("Interrupted"), nullptr);
  EXPECT_EQ(ReadText(program), programBytes);
  Press("Interrupted", IDC_INTERRUPTED_FINISH);
  EXPECT_TRUE(driver_.WaitForExit(20000));
  driver_.Kill();
  ::TerminateProcess(running.hProcess, 0);
  ::WaitForSingleObject(running.hProcess, 5000);
  ::CloseHandle(running.hProcess);

  // Only the beta in use: the main program is deleted by the test for use and put back from its copy.
  const std::wstring beta = std::wstring(kOldFolder) + L"\\Kelto Quorbel Beta.exe";
  ASSERT_TRUE(WriteText(beta, "beta"));
  HANDLE held = ::CreateFileW(beta.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  StartRemoval();
  box = driver_.WaitForMessageBox();
  ASSERT_NE(box, nullptr) << "no message box; last page " << driver_.lastPage();
  EXPECT_EQ(Driver::MessageText(box), kInUseText);
  Driver::Answer(box, IDOK);
  ASSERT_NE(driver_.WaitForNamedPage("Interrupted"), nullptr);
  EXPECT_EQ(ReadText(program), programBytes);
  ::CloseHandle(held);
  Press("Interrupted", IDC_INTERRUPTED_FINISH);
  EXPECT_TRUE(driver_.WaitForExit(20000));
}

TEST_F(BuiltInRemoval, ARecordThatNamesADriveRootIsRefusedAndNothingThereIsTouched) {
  // The record says C:\ and a program file is there, so the detection finds an installation.
  const std::wstring rootProgram = L"C:\\Kelto Quorbel.exe";
  ASSERT_FALSE(Exists(rootProgram)) << "the prefix must not have one of its own";
  ASSERT_TRUE(WriteText(rootProgram, "not ours"));
  ASSERT_TRUE(WriteText(L"C:\\Readme.txt", "not ours either"));
  WriteValue(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath", L"C:\\");
  WriteValue(HKEY_LOCAL_MACHINE, kProductKey, L"Version", L"1.5.0.0100");
  StartRemoval();
  ASSERT_NE(driver_.WaitForNamedPage("Interrupted"), nullptr) << "last page " << driver_.lastPage();
  EXPECT_EQ(driver_.FindMessageBox(), nullptr);
  EXPECT_EQ(ReadText(rootProgram), "not ours");
  EXPECT_EQ(ReadText(L"C:\\Readme.txt"), "not ours either");
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey));
  Press("Interrupted", IDC_INTERRUPTED_FINISH);
  EXPECT_TRUE(driver_.WaitForExit(20000));
  ::DeleteFileW(rootProgram.c_str());
  ::DeleteFileW(L"C:\\Readme.txt");
}

// --- the installer service ---------------------------------------------------------------------------------

const wchar_t kPackedCode[] = L"17B2F0A685C391E4D9A2B5E7041C8F3A";

// The product known to the installer service as installed, and the prefix's msiexec.exe replaced by this
// program, which Wine then runs instead of its own (a native override); all put back afterwards.
class InstallerService : public Removal {
 protected:
  void SetUp() override {
    Removal::SetUp();
    WriteValue(HKEY_LOCAL_MACHINE, ProductsKey(), L"ProductName", L"Kelto Quorbel");
    HKEY properties;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, PropertiesKey().c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                &properties, nullptr),
              ERROR_SUCCESS);
    const DWORD one = 1;
    ::RegSetValueExW(properties, L"WindowsInstaller", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one));
    ::RegCloseKey(properties);
    WriteValue(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", L"msiexec.exe", L"native");
    wchar_t system[MAX_PATH] = L"";
    ::GetSystemDirectoryW(system, MAX_PATH);
    system_ = system;
    ASSERT_TRUE(::MoveFileExW(Msiexec().c_str(), Backup().c_str(), MOVEFILE_REPLACE_EXISTING));
    ASSERT_TRUE(::CopyFileW((gui::ModuleFolder() + L"\\e2e_tests.exe").c_str(), Msiexec().c_str(), FALSE));
    ::DeleteFileW(kMsiexecLog);
  }
  void TearDown() override {
    Removal::TearDown();
    if (Exists(Backup())) ::MoveFileExW(Backup().c_str(), Msiexec().c_str(), MOVEFILE_REPLACE_EXISTING);
    HKEY overrides;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", 0, KEY_SET_VALUE, &overrides) ==
        ERROR_SUCCESS) {
      ::RegDeleteValueW(overrides, L"msiexec.exe");
      ::RegCloseKey(overrides);
    }
    DeleteKey(HKEY_LOCAL_MACHINE, ProductsKey());
    DeleteKey(HKEY_LOCAL_MACHINE, PropertiesKey().substr(0, PropertiesKey().rfind(L'\\')));
    ::DeleteFileW(kMsiexecLog);
  }
  static std::wstring ProductsKey() { return std::wstring(L"Software\\Classes\\Installer\\Products\\") + kPackedCode; }
  static std::wstring PropertiesKey() {
    return std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\") +
           kPackedCode + L"\\InstallProperties";
  }
  std::wstring Msiexec() const { return system_ + L"\\msiexec.exe"; }
  std::wstring Backup() const { return system_ + L"\\msiexec.exe.kelto-test"; }
  // The log as text: one line per start of msiexec and "ended" when one ran to its end.
  static std::wstring Log() {
    const std::string bytes = ReadText(kMsiexecLog);
    if (bytes == "<missing>") return L"";
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
  }

  std::wstring system_;
};

TEST_F(InstallerService, RemovesThePackageOnceAndWaitsThenTheSecondVisitUsesThePipe) {
  SeedInstallation(L"2.1.0.0100");
  ScopedEnvironment mode(L"KELTO_UNINSTALL_MODE", L"report");
  StartRemoval();
  ASSERT_NE(driver_.WaitForNamedPage("Licence"), nullptr) << "last page " << driver_.lastPage();
  // Started once with the exact command line, and waited for: the licence came after it ended.
  const std::wstring expected =
      L"\"" + system_ + L"\\msiexec.exe\" /x {6A0F2B71-3C58-4E19-9D2A-5B7E40C1F8A3} /quiet /norestart\nended\n";
  EXPECT_EQ(Log(), expected);
  // The record was not re-read: the old version is still there, so Back returns to its page.
  EXPECT_TRUE(Exists(std::wstring(kOldFolder) + L"\\Kelto Quorbel.exe"));
  Press("Licence", IDC_LICENCE_BACK);
  Press("Existing", IDC_EXISTING_NEXT);
  ASSERT_NE(driver_.WaitForNamedPage("Licence"), nullptr) << "last page " << driver_.lastPage();
  EXPECT_EQ(Log(), expected) << "the installer service runs only once";
  EXPECT_EQ(List(kOldFolder), std::vector<std::wstring>{L"Uninstall.exe"}) << "the old uninstaller ran";
  Press("Licence", IDC_LICENCE_BACK);
  CancelOut("Welcome", IDC_WELCOME_CANCEL);
}

}  // namespace

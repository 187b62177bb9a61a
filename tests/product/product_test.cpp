// The whole product through the real wizard, one scenario per fresh prefix: after each run the state of the
// system is read back — files, records, component records, shortcuts, printer, default printer, the PDF
// association, the temporary folder — not only the pages that were seen.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "resources/ids.h"
#include "tests/driver/system_state.h"
#include "tests/driver/walk.h"

namespace {

using gui::Driver;

const wchar_t* const kUserKey = kProductKey;  // the same path under HKEY_CURRENT_USER
const wchar_t kUpdatesKey[] = L"Software\\Kelto Software\\Kelto Quorbel\\Updates List";
using sys::kAddinMarker;
const wchar_t kUserChoice[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.pdf\\UserChoice";
const wchar_t kPdfKey[] = L"Software\\Classes\\.pdf";
const wchar_t kForeignHandler[] = L"Other.Reader.1";
const wchar_t kProductLog[] = L"C:\\kelto\\product-log.txt";

// What a complete installation holds, relative to its folder.
const wchar_t* const kInstalledFiles[] = {
    L"config.xml",
    L"Kelto Quorbel.exe",
    L"kpc_wordaddin.dll",
    L"kpdfcjk.bin",
    L"ktdecod1.dll",
    L"lex\\accent.tlx",
    L"lex\\correct.tlx",
    L"lex\\ssceam.tlx",
    L"lex\\ssceam2.clx",
    L"lex\\sscebr.tlx",
    L"lex\\sscebr2.clx",
    L"lex\\ssceca.tlx",
    L"lex\\ssceca2.clx",
    L"lex\\tech.tlx",
    L"lex\\userdic.tlx",
    L"plugins\\RiRovozeVA\\curl\\curl.exe",
    L"plugins\\RiRovozeVA\\curl\\libcurl.dll",
    L"plugins\\RiRovozeVA\\curl\\libeay32.dll",
    L"plugins\\RiRovozeVA\\curl\\libssl32.dll",
    L"plugins\\RiRovozeVA\\OnDemandPlugin.dll",
    L"Readme.txt",
    L"Stamps\\Sign Here\\Accepted.pdf",
    L"Stamps\\Sign Here\\Initial.pdf",
    L"Stamps\\Sign Here\\Rejected.pdf",
    L"Stamps\\Sign Here\\Sign Here.pdf",
    L"Stamps\\Sign Here\\Witness.pdf",
    L"Stamps\\Standard Stamps\\Approved.pdf",
    L"Stamps\\Standard Stamps\\Completed.pdf",
    L"Stamps\\Standard Stamps\\Confidential.pdf",
    L"Stamps\\Standard Stamps\\Draft.pdf",
    L"Stamps\\Standard Stamps\\Emergency.pdf",
    L"Stamps\\Standard Stamps\\Expired.pdf",
    L"Stamps\\Standard Stamps\\Final.pdf",
    L"Stamps\\Standard Stamps\\Received.pdf",
    L"Stamps\\Standard Stamps\\Reviewed.pdf",
    L"Stamps\\Standard Stamps\\Revised.pdf",
    L"Stamps\\Standard Stamps\\Verified.pdf",
    L"Stamps\\Standard Stamps\\Void.pdf",
    L"UnPDFReaderPlugin.exe",
    L"Uninstall.exe",
};

const char* const kComponentRecords[] = {"Eastern Asian Language Support", "Firefox Plugin",
                                         "JPEG2000 and JBIG2 Image Decoders", "Kelto Spell Check Language",
                                         "RiRovozeVA"};

using sys::Narrow;

// Under WoW64 Wine's 32-bit spooler takes the driver but not the printer: the printer install is undone (port
// taken back) and the add-in that comes with it is left out; the rest of the installation is complete.
bool UnderWow64() {
  BOOL wow64 = FALSE;
  ::IsWow64Process(::GetCurrentProcess(), &wow64);
  return wow64 != FALSE;
}

bool PrinterExpected() { return !UnderWow64(); }

std::wstring DefaultFolder() { return sys::SpecialFolder(CSIDL_PROGRAM_FILES) + L"\\Kelto Software\\Kelto Quorbel"; }

std::wstring StartMenuFolder() { return sys::SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"\\Kelto Quorbel"; }
std::wstring DesktopLink() { return sys::SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Kelto Quorbel.lnk"; }

// The user's temporary folder and the machine's, where the extraction folder is made: SystemTemp where the
// system has one, else Temp.
std::set<std::wstring> TempEntries() {
  wchar_t windows[MAX_PATH] = L"";
  ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
  std::set<std::wstring> names;
  for (const std::wstring& folder :
       {sys::TempFolder(), std::wstring(windows) + L"\\SystemTemp", std::wstring(windows) + L"\\Temp"}) {
    for (const std::wstring& name : gui::FolderEntries(folder)) names.insert(sys::Lower(folder + L"\\" + name));
  }
  return names;
}

using sys::Today;

// What a complete installation must look like.
struct Expected {
  std::wstring folder = DefaultFolder();
  std::wstring readmeSource = L"Readme.txt";
  std::wstring langid = L"40811d";
  bool finishActions = true;  // PDF handler, default printer and the program started
  bool readme = false;        // "View Readme" checked on the Finish page as well
  bool desktopShell = true;   // false: no desktop shell answers at Finish
  std::vector<std::wstring> moreFiles;
  std::wstring installDate = Today();
};

// Windows associates .txt with its text editor; Wine's prefix has the class but not the association.
void AssociateTextFiles() {
  for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY)}) {
    ASSERT_TRUE(sys::WriteValue(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.txt", nullptr, L"txtfile", view));
  }
}

// Where the desktop shell is gone, nothing may be opened through a class registration: the document and the
// program classes then leave a mark instead of opening anything. (Wine's shell reads the classes from
// HKEY_LOCAL_MACHINE only, so that is where the test bends them; Windows would take the user's first.)
const wchar_t kClassUsedMark[] = L"C:\\kelto\\class-command-used.txt";

void BendClassesToLeaveAMark() {
  AssociateTextFiles();
  wchar_t system[MAX_PATH] = L"";
  ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
  const std::wstring mark = std::wstring(L"\"") + system + L"\\cmd.exe\" /c echo %1 > " + kClassUsedMark;
  for (const wchar_t* type : {L"txtfile", L"exefile"}) {
    for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY)}) {
      ASSERT_TRUE(sys::WriteValue(HKEY_LOCAL_MACHINE,
                                  std::wstring(L"Software\\Classes\\") + type + L"\\shell\\open\\command", nullptr,
                                  mark, view));
    }
  }
}

// The text editor's windows showing the readme, with the process of each.
BOOL CALLBACK CollectReadmeWindow(HWND window, LPARAM data) {
  wchar_t kind[32] = L"", title[256] = L"";
  ::GetClassNameW(window, kind, 32);
  ::GetWindowTextW(window, title, 256);
  if (std::wstring(kind) == L"Notepad" && sys::Lower(title).find(L"readme") != std::wstring::npos) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    reinterpret_cast<std::vector<std::pair<HWND, DWORD>>*>(data)->emplace_back(window, process);
  }
  return TRUE;
}

std::vector<std::pair<HWND, DWORD>> ReadmeWindows() {
  std::vector<std::pair<HWND, DWORD>> found;
  ::EnumWindows(&CollectReadmeWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

class Product : public ::testing::Test {
 protected:
  void SetUp() override {
    // Another reader owns .pdf; the setup takes it over only when asked to.
    for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY)}) {
      ASSERT_TRUE(sys::WriteValue(HKEY_LOCAL_MACHINE, kPdfKey, nullptr, kForeignHandler, view));
    }
    ASSERT_TRUE(sys::WriteValue(HKEY_CURRENT_USER, kUserChoice, L"Progid", kForeignHandler));
    ::DeleteFileW(kProductLog);
    // Read also by a product that the desktop shell starts, which does not get this program's environment.
    sys::SetProductLog(kProductLog);
    printerBefore_ = sys::DefaultPrinter();
    tempBefore_ = TempEntries();
    setup_ = gui::StageSetup(gui::JoinPath(gui::ModuleFolder(), L"setup.exe"));
  }

  void TearDown() override {
    driver_.Kill();
    gui::ForgetInstallation();
    for (const auto& window : ReadmeWindows()) ::PostMessageW(window.first, WM_CLOSE, 0, 0);
    sys::SetProductLog(L"");
  }

  std::wstring ShotFolder() const {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::wstring arch = UnderWow64() ? L"win64" : L"win32";
    return gui::JoinPath(gui::ModuleFolder(), L"screenshots\\product-" + arch + L"\\" + gui::Widen(info->name()));
  }

  void Start() { ASSERT_TRUE(driver_.Start(setup_)) << "error " << ::GetLastError(); }

  void Walk(const std::vector<gui::Step>& steps) {
    gui::WalkResult result = gui::Walk(driver_, steps, gui::JoinPath(ShotFolder(), std::to_wstring(++walks_)));
    ASSERT_TRUE(result.ok) << result.error;
  }

  void Press(const char* name, int button, DWORD timeoutMs = 15000) {
    HWND page = driver_.WaitForNamedPage(name, timeoutMs);
    ASSERT_NE(page, nullptr) << "expected " << name << ", last " << driver_.lastPage();
    Driver::Click(page, button);
    ASSERT_TRUE(Driver::WaitGone(page)) << name << " stayed";
  }

  void ExpectEnds() {
    DWORD code = 0;
    ASSERT_TRUE(driver_.WaitForExit(60000, &code)) << "setup still running";
  }

  // Finish as it comes, or with every follow-up choice cleared; with the readme checked as well, and without a
  // desktop shell, as `e` says.
  void PressFinish(bool keepChoices, const Expected& e = Expected{}) {
    HWND finish = driver_.WaitForNamedPage("Finish", 120000);
    ASSERT_NE(finish, nullptr) << "last page " << driver_.lastPage();
    const int choices[] = {IDC_FINISH_RUN, IDC_FINISH_DEFAULT_PDF, IDC_FINISH_DEFAULT_PRINTER, IDC_FINISH_README};
    if (!keepChoices) {
      for (int id : choices) {
        if (Driver::IsChecked(finish, id)) Driver::Click(finish, id);
      }
      ::Sleep(200);
      for (int id : choices) ASSERT_FALSE(Driver::IsChecked(finish, id)) << id;
    }
    if (e.readme) {
      AssociateTextFiles();
      if (!Driver::IsChecked(finish, IDC_FINISH_README)) Driver::Click(finish, IDC_FINISH_README);
      ::Sleep(200);
      ASSERT_TRUE(Driver::IsChecked(finish, IDC_FINISH_README));
    }
    Driver::Screenshot(finish, gui::JoinPath(ShotFolder(), L"Finish.png"));
    if (!e.desktopShell) {
      BendClassesToLeaveAMark();
      // Ending Wine's desktop process would take the setup's windows with it, as they live in its virtual
      // desktop. The COM service that holds the running shell's registration is ended instead: started again on
      // the next request, it knows no desktop shell, as on a system where none runs.
      ASSERT_GT(sys::EndProcessesNamed(L"rpcss.exe"), 0) << "no COM service to end";
    }
    Driver::Click(finish, IDC_FINISH_FINISH);
    ExpectEnds();
  }

  // The default route from Welcome to an ended setup.
  void InstallDefault(bool keepChoices = true, const Expected& e = Expected{}) {
    Start();
    Walk(gui::kDefaultToInstall);
    PressFinish(keepChoices, e);
  }
  // The custom route into `folder`, which the destination page creates, up to the install.
  void InstallCustom(const std::wstring& folder) {
    Start();
    Walk({gui::kWelcomeNext, gui::kLicenceAgree, gui::kTypeCustom});
    const std::string chosen = gui::ChooseNewFolder(driver_, folder);
    ASSERT_TRUE(chosen.empty()) << chosen;
    Walk({gui::kDesktopNext, gui::kSummaryInstall});
  }

  static void ExpectFiles(const Expected& e) {
    std::vector<std::wstring> found, wanted;
    for (const sys::FileEntry& file : sys::FileTree(e.folder)) {
      found.push_back(sys::Lower(file.path));
      std::wstring name = file.path.substr(file.path.find_last_of(L'\\') + 1);
      if (sys::SameText(name, L"Readme.txt")) name = e.readmeSource;
      // Every file is the package's own, whole: a copy cut short by an interruption would show here.
      EXPECT_EQ(sys::ReadText(e.folder + L"\\" + file.path), sys::ReadText(sys::StagedFile(name)))
          << Narrow(file.path) << " differs from the package's " << Narrow(name);
    }
    for (const wchar_t* name : kInstalledFiles) wanted.push_back(sys::Lower(name));
    for (const std::wstring& name : e.moreFiles) wanted.push_back(sys::Lower(name));
    // The add-in comes with the printer: without the printer it is neither copied nor registered.
    if (!PrinterExpected()) wanted.erase(std::find(wanted.begin(), wanted.end(), L"kpc_wordaddin.dll"));
    std::sort(wanted.begin(), wanted.end());
    std::vector<std::string> missing, extra;
    for (const std::wstring& name : wanted) {
      if (!std::binary_search(found.begin(), found.end(), name)) missing.push_back(Narrow(name));
    }
    for (const std::wstring& name : found) {
      if (!std::binary_search(wanted.begin(), wanted.end(), name)) extra.push_back(Narrow(name));
    }
    EXPECT_TRUE(missing.empty()) << "missing: " << ::testing::PrintToString(missing);
    EXPECT_TRUE(extra.empty()) << "not expected: " << ::testing::PrintToString(extra);
  }

  // The installed files in KB, rounded up: what the uninstall entry must estimate.
  static uint64_t InstalledKb(const Expected& e) {
    uint64_t bytes = 0;
    for (const sys::FileEntry& file : sys::FileTree(e.folder)) bytes += file.size;
    return (bytes + 1023) / 1024;
  }

  static void ExpectRecords(const Expected& e) {
    const std::wstring folder = e.folder + L"\\";
    EXPECT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath"), folder);
    EXPECT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kProductKey, L"Version"), kSetupVersion);
    EXPECT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kProductKey, L"IsForAllUser"), L"1");
    EXPECT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"), L"Kelto Quorbel");
    EXPECT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"), kSetupVersion);
    EXPECT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"Publisher"), L"Kelto Software Company");
    // Quoted, so that a folder with blanks can't be read as a shorter program's path.
    EXPECT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"),
              L"\"" + folder + L"Uninstall.exe\"");
    EXPECT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallPath"), folder + L"Uninstall.exe");
    EXPECT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayIcon"), folder + L"Kelto Quorbel.exe");
    EXPECT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation"), folder);
    EXPECT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallDate"), e.installDate);
    EXPECT_EQ(sys::ReadDword(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize"), std::to_wstring(InstalledKb(e)));
    EXPECT_EQ(sys::ReadDword(HKEY_LOCAL_MACHINE, kUninstallKey, L"NoModify"), L"1");
    EXPECT_EQ(sys::ReadDword(HKEY_LOCAL_MACHINE, kUninstallKey, L"NoRepair"), L"1");
    EXPECT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"URLInfoAbout"), L"https://www.kelto.example");
    EXPECT_EQ(sys::ReadValue(HKEY_CURRENT_USER, std::wstring(kUserKey) + L"\\LANGUAGE", L"langid"), e.langid);

    std::vector<std::wstring> components;
    for (const char* name : kComponentRecords) components.push_back(gui::Widen(name));
    EXPECT_EQ(sys::SubKeys(HKEY_CURRENT_USER, kUpdatesKey), components);
    const std::wstring updates = std::wstring(kUpdatesKey) + L"\\";
    EXPECT_EQ(sys::ReadValue(HKEY_CURRENT_USER, updates + L"Eastern Asian Language Support", L"SetupPath"),
              folder + L"kpdfcjk.bin");
    EXPECT_EQ(sys::ReadValue(HKEY_CURRENT_USER, updates + L"JPEG2000 and JBIG2 Image Decoders", L"SetupPath"),
              folder + L"ktdecod1.dll");
    EXPECT_EQ(sys::ReadValue(HKEY_CURRENT_USER, updates + L"Kelto Spell Check Language", L"SetupPath10"),
              folder + L"lex\\userdic.tlx");
    EXPECT_EQ(sys::ReadValue(HKEY_CURRENT_USER, kAddinMarker, nullptr),
              PrinterExpected() ? folder + L"kpc_wordaddin.dll" : L"<none>")
        << "the add-in registers itself from the install folder";
  }

  static void ExpectShortcuts(const Expected& e) {
    std::vector<std::wstring> targets;
    for (const std::wstring& name : gui::FolderEntries(StartMenuFolder())) {
      targets.push_back(sys::Lower(sys::LinkTarget(StartMenuFolder() + L"\\" + name)));
    }
    std::sort(targets.begin(), targets.end());
    const std::wstring folder = sys::Lower(e.folder + L"\\");
    EXPECT_EQ(targets, (std::vector<std::wstring>{folder + L"kelto quorbel.exe", folder + L"readme.txt",
                                                  folder + L"uninstall.exe"}));
    EXPECT_TRUE(sys::SameText(sys::LinkTarget(DesktopLink()), e.folder + L"\\Kelto Quorbel.exe"))
        << Narrow(sys::LinkTarget(DesktopLink()));
  }

  void ExpectPrinterAndFinish(const Expected& e) const {
    EXPECT_EQ(sys::PrinterExists(kPrinterName), PrinterExpected());
    EXPECT_EQ(sys::PortExists(kPrinterPortName), PrinterExpected());
    const std::string log = sys::ReadText(kProductLog);
    if (!e.finishActions) {
      EXPECT_EQ(sys::DefaultPrinter(), printerBefore_);
      EXPECT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kPdfKey, nullptr), kForeignHandler);
      EXPECT_EQ(sys::ReadValue(HKEY_CURRENT_USER, kUserChoice, L"Progid"), kForeignHandler);
      EXPECT_EQ(log, "<missing>") << "the product was neither registered nor started";
      EXPECT_FALSE(gui::WaitForProductStarted(2000));
      return;
    }
    const std::wstring program = e.folder + L"\\Kelto Quorbel.exe";
    EXPECT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kPdfKey, nullptr), L"KeltoQuorbel.Document");
    // The product registers the path it runs from, as the system spells it.
    EXPECT_TRUE(sys::SameText(
        sys::ReadValue(HKEY_LOCAL_MACHINE, L"Software\\Classes\\KeltoQuorbel.Document\\shell\\open\\command", nullptr),
        L"\"" + program + L"\" \"%1\""));
    EXPECT_EQ(sys::ReadValue(HKEY_CURRENT_USER, kUserChoice, L"Progid"), L"<none>") << "the user's choice is cleared";
    const std::wstring ownPrinter = PrinterExpected() ? std::wstring(kPrinterName) : printerBefore_;
    EXPECT_EQ(sys::DefaultPrinter(), ownPrinter);
    EXPECT_TRUE(gui::WaitForProductStarted()) << "Finish starts the product";
    // The order the product saw: the foreign handler gone before it registered, the printer made the default
    // after that, the program started last. The registration needs the setup's rights: the setup runs it by
    // its full path in its own folder. What is for the user is started by the desktop shell, as a double click
    // would, with the user's rights; without a desktop shell only the product starts, by its full path.
    const std::vector<sys::ProductStart> starts = sys::ProductStarts(kProductLog);
    ASSERT_EQ(starts.size(), 2u) << log;
    const sys::ProductStart& registration = starts[0];
    const sys::ProductStart& started = starts[1];
    EXPECT_EQ(registration.commandLine, L"\"" + program + L"\" /register");
    EXPECT_EQ(registration[L"printer"], printerBefore_);
    EXPECT_EQ(registration[L"pdf"], L"<none>");
    EXPECT_EQ(registration[L"parent id"], std::to_wstring(driver_.pid())) << log;
    EXPECT_TRUE(sys::SameText(registration[L"folder"], e.folder)) << log;
    EXPECT_EQ(registration[L"NoDefaultCurrentDirectoryInExePath"], L"1") << log;
    EXPECT_NE(started.commandLine.find(L"Kelto Quorbel.exe"), std::wstring::npos) << log;
    EXPECT_EQ(started.commandLine.find(L"/register"), std::wstring::npos) << log;
    EXPECT_EQ(started[L"printer"], ownPrinter);
    EXPECT_EQ(started[L"pdf"], L"KeltoQuorbel.Document");
    EXPECT_TRUE(sys::SameText(started[L"folder"], e.folder)) << log;
    if (e.desktopShell) {
      EXPECT_EQ(started[L"parent"], L"explorer.exe") << log;
    } else {
      EXPECT_EQ(started[L"parent id"], std::to_wstring(driver_.pid())) << log;
      EXPECT_TRUE(sys::SameText(started.commandLine, L"\"" + e.folder + L"\\\\Kelto Quorbel.exe\"")) << log;
    }
    ExpectReadme(e);
  }

  // The readme in the text editor, which the desktop shell started; without a desktop shell, not at all, and no
  // class registration was used for anything.
  static void ExpectReadme(const Expected& e) {
    std::vector<std::pair<HWND, DWORD>> shown;
    const DWORD wait = e.readme && e.desktopShell ? 15000 : 2000;
    for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < wait; ::Sleep(100)) {
      if (!(shown = ReadmeWindows()).empty()) break;
    }
    if (!e.desktopShell) {
      EXPECT_TRUE(shown.empty()) << "the readme was opened without a desktop shell";
      EXPECT_FALSE(sys::Exists(kClassUsedMark)) << "a class registration was used: " << sys::ReadText(kClassUsedMark);
    } else if (e.readme) {
      ASSERT_EQ(shown.size(), 1u) << "the readme was not opened";
      EXPECT_EQ(sys::ProcessName(sys::ParentOf(shown[0].second)), L"explorer.exe");
    } else {
      EXPECT_TRUE(shown.empty()) << "the readme was opened unasked";
    }
    for (const auto& window : shown) ::PostMessageW(window.first, WM_CLOSE, 0, 0);
  }

  // What came into the temporary folders since `tempBefore_` was taken.
  std::vector<std::wstring> TempAdded() const {
    std::vector<std::wstring> added;
    for (const std::wstring& name : TempEntries()) {
      if (!tempBefore_.count(name)) added.push_back(name);
    }
    return added;
  }
  // Nothing but the extraction folder came and went.
  void ExpectTempUnchanged() const {
    const std::vector<std::wstring> added = TempAdded();
    EXPECT_TRUE(added.empty()) << "left in the temporary folder: " << Narrow(added.empty() ? L"" : added.front());
  }

  void ExpectComplete(const Expected& e) {
    ExpectFiles(e);
    ExpectRecords(e);
    ExpectShortcuts(e);
    ExpectPrinterAndFinish(e);
    ExpectTempUnchanged();
  }

  void ExpectNothingInstalled() const {
    EXPECT_FALSE(sys::Exists(sys::SpecialFolder(CSIDL_PROGRAM_FILES) + L"\\Kelto Software"));
    // Looking for an earlier installation opens the product key with create semantics, so an empty key may
    // stay behind; no value may.
    EXPECT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath"), L"<none>");
    EXPECT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kProductKey, L"Version"), L"<none>");
    EXPECT_FALSE(sys::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(sys::KeyExists(HKEY_CURRENT_USER, kUpdatesKey));
    EXPECT_EQ(sys::ReadValue(HKEY_CURRENT_USER, std::wstring(kUserKey) + L"\\LANGUAGE", L"langid"), L"<none>");
    EXPECT_FALSE(sys::KeyExists(HKEY_CURRENT_USER, kAddinMarker));
    EXPECT_FALSE(sys::Exists(StartMenuFolder()));
    EXPECT_FALSE(sys::Exists(DesktopLink()));
    EXPECT_FALSE(sys::PrinterExists(kPrinterName));
    EXPECT_FALSE(sys::PortExists(kPrinterPortName));
    EXPECT_EQ(sys::DefaultPrinter(), printerBefore_);
    EXPECT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kPdfKey, nullptr), kForeignHandler);
    EXPECT_EQ(sys::ReadText(kProductLog), "<missing>");
    ExpectTempUnchanged();
  }

  Driver driver_;
  std::wstring setup_;
  std::wstring printerBefore_;
  std::set<std::wstring> tempBefore_;
  int walks_ = 0;
};

// With the readme as well: the product and the readme are opened by the desktop shell.
TEST_F(Product, DefaultRouteInstallsTheWholeProduct) {
  Expected e;
  e.readme = true;
  InstallDefault(true, e);
  ExpectComplete(e);
}

// And with no desktop shell to answer at Finish: the product still starts, the readme is not opened.
TEST_F(Product, CustomRouteInstallsIntoANewFolder) {
  Expected e;
  e.folder = L"D:\\Apps\\PDF Tools\\Quorbel";
  e.readme = true;
  e.desktopShell = false;
  InstallCustom(e.folder);
  PressFinish(true, e);
  ExpectComplete(e);
  EXPECT_FALSE(sys::Exists(DefaultFolder())) << "nothing goes to the default folder";
}

// Drive D: is a small RAM drive of this prefix's own (see the scenario's fixture), filled here until the main
// program fits but the uninstaller after it only in part: its copy fails part-way, as on a drive that fills up
// during the install. The setup says which file, takes back what this run created (the main program it had
// copied and the folders the destination page made, not the one that was there before), stops on the
// Interrupted page saying that nothing was modified, and leaves no records; with the room back, the same route
// completes.
TEST_F(Product, CustomRouteOntoAFullDriveStopsThenCompletesOnceThereIsRoom) {
  const std::wstring before = L"D:\\Apps";
  const std::wstring folder = before + L"\\PDF Tools\\Quorbel";
  const std::wstring filler = L"D:\\filler.bin";
  const auto freeOnD = [] {
    ULARGE_INTEGER available{}, total{}, free{};
    ::GetDiskFreeSpaceExW(L"D:\\", &available, &total, &free);
    return std::make_pair(total.QuadPart, available.QuadPart);
  };
  const auto [total, room] = freeOnD();
  ASSERT_GT(total, 0u) << "no drive D:";
  ASSERT_LT(total, 64ull << 20) << "drive D: (" << total << " bytes) is not the small RAM drive this scenario needs; "
                                << "its fixture mounts it (wine-fixture.sh setup ARCH DIR SMALL_D_KB)";
  const auto sizeOf = [](const wchar_t* name) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(::GetFileAttributesExW(sys::StagedFile(name).c_str(), GetFileExInfoStandard, &data));
    return static_cast<uint64_t>(data.nFileSizeLow);
  };
  const uint64_t programSize = sizeOf(L"Kelto Quorbel.exe");
  const uint64_t uninstallerSize = sizeOf(L"Uninstall.exe");
  const uint64_t programBlocks = (programSize + 4095) / 4096 * 4096;
  ASSERT_GT(room, 2 * (programSize + uninstallerSize)) << "drive D: has no room for the product";
  uint64_t fill = room - programBlocks - uninstallerSize / 2;
  fill -= fill % 4096;
  ASSERT_TRUE(sys::WriteText(filler, std::string(fill, 'f')));
  const uint64_t left = freeOnD().second;
  ASSERT_GE(left, programBlocks) << "the main program does not fit";
  ASSERT_LT(left, programBlocks + uninstallerSize) << "the uninstaller still fits";
  ASSERT_TRUE(::CreateDirectoryW(before.c_str(), nullptr));

  InstallCustom(folder);
  HWND box = driver_.WaitForMessageBox(120000);
  ASSERT_NE(box, nullptr) << "no message about the copy, last page " << driver_.lastPage();
  const std::wstring message = Driver::MessageText(box);
  EXPECT_EQ(Driver::Caption(box), L"Kelto Quorbel Install Wizard");
  EXPECT_EQ(message.rfind(L"Setup could not copy " + folder + L"\\Uninstall.exe. ", 0), 0u) << Narrow(message);
  Driver::Screenshot(box, gui::JoinPath(ShotFolder(), L"CopyFailed.png"));
  Driver::Answer(box, IDOK);
  HWND interrupted = driver_.WaitForNamedPage("Interrupted");
  ASSERT_NE(interrupted, nullptr) << "last " << driver_.lastPage();
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(Driver::ItemText(interrupted, IDC_INTERRUPTED_TEXT1 + i), gui::kInterruptedTexts[i]);
  Driver::Click(interrupted, IDC_INTERRUPTED_FINISH);
  ExpectEnds();
  EXPECT_FALSE(sys::Exists(folder + L"\\Kelto Quorbel.exe")) << "the program this run copied stays behind";
  EXPECT_FALSE(sys::Exists(before + L"\\PDF Tools")) << "the folders this run made stay behind";
  EXPECT_TRUE(sys::Exists(before)) << "the folder that was there before went too";
  EXPECT_TRUE(sys::FileTree(before).empty());
  ExpectNothingInstalled();

  ASSERT_TRUE(::DeleteFileW(filler.c_str()));
  InstallCustom(folder);  // the folder went with the first run: the setup asks again whether to create it
  PressFinish(true);

  Expected e;
  e.folder = folder;
  ExpectComplete(e);
}

TEST_F(Product, CancelOnEveryKindOfPageLeavesTheSystemAlone) {
  struct Case {
    std::vector<gui::Step> before;  // the route to the page
    const char* page;
    int cancel;
  };
  const std::vector<Case> cases = {
      {{}, "Welcome", IDC_WELCOME_CANCEL},
      {{gui::kWelcomeNext}, "Licence", IDC_LICENCE_DISAGREE},
      {{gui::kWelcomeNext, gui::kLicenceAgree}, "Type", IDC_TYPE_CANCEL},
      {{gui::kWelcomeNext, gui::kLicenceAgree, gui::kTypeCustom}, "Destination", IDC_DESTINATION_CANCEL},
      {{gui::kWelcomeNext, gui::kLicenceAgree, gui::kTypeDefault}, "Desktop", IDC_DESKTOP_CANCEL},
      {{gui::kWelcomeNext, gui::kLicenceAgree, gui::kTypeDefault, gui::kDesktopNext}, "Summary", IDC_SUMMARY_CANCEL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    Start();
    Walk(c.before);
    HWND page = driver_.WaitForNamedPage(c.page);
    ASSERT_NE(page, nullptr) << "last " << driver_.lastPage();
    Driver::Click(page, c.cancel);
    HWND box = driver_.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    Driver::Answer(box, IDYES);
    HWND interrupted = driver_.WaitForNamedPage("Interrupted");
    ASSERT_NE(interrupted, nullptr) << "last " << driver_.lastPage();
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(Driver::ItemText(interrupted, IDC_INTERRUPTED_TEXT1 + i), gui::kInterruptedTexts[i]);
    Driver::Screenshot(interrupted, gui::JoinPath(ShotFolder(), gui::Widen(c.page) + L"-Interrupted.png"));
    Driver::Click(interrupted, IDC_INTERRUPTED_FINISH);
    ExpectEnds();
    ExpectNothingInstalled();
    EXPECT_FALSE(sys::Exists(L"D:\\Apps")) << "the destination page creates no folder when cancelled";
  }
}

TEST_F(Product, FinishWithEveryChoiceClearedOnlyDeletesTheExtractionFolder) {
  InstallDefault(false);
  Expected e;
  e.finishActions = false;
  ExpectComplete(e);
}

TEST_F(Product, ReinstallOverTheSameVersionGoesThroughTheOldUninstaller) {
  InstallDefault(false);
  const std::wstring folder = DefaultFolder();
  ASSERT_TRUE(sys::Exists(folder + L"\\Uninstall.exe"));
  // A damaged file of the installed version: the reinstall must put the package's own back.
  ASSERT_TRUE(sys::WriteText(folder + L"\\kpdfcjk.bin", "stale"));
  tempBefore_ = TempEntries();

  Start();
  Press("Welcome", IDC_WELCOME_NEXT);
  HWND existing = driver_.WaitForNamedPage("Existing");
  ASSERT_NE(existing, nullptr) << "last " << driver_.lastPage();
  Driver::Screenshot(existing, gui::JoinPath(ShotFolder(), L"Existing.png"));
  Driver::Click(existing, IDC_EXISTING_NEXT);
  // The installed Uninstall.exe takes the old installation away, reporting over the pipe; the route then goes
  // on as for a first installation.
  Walk({gui::kLicenceAgree, gui::kTypeDefault, gui::kDesktopNext, gui::kSummaryInstall});
  PressFinish(true);
  ExpectComplete(Expected{});
}

TEST_F(Product, LanguageRouteInstallsInTheChosenLanguage) {
  for (const wchar_t* name : {L"inst_lang_fr_fr.xml", L"inst_lang_de_de.xml"}) {
    ASSERT_TRUE(::CopyFileW(gui::JoinPath(gui::ModuleFolder(), std::wstring(L"lang\\") + name).c_str(),
                            (std::wstring(L"C:\\kelto\\") + name).c_str(), FALSE));
  }
  ASSERT_TRUE(sys::WriteText(L"C:\\kelto\\LangConfig.xml",
                             "<LangConfig LangType=\"2\"><LangId value=\"40811,40814,40816\"/></LangConfig>"));
  Start();
  HWND dialog = driver_.WaitForPage();
  ASSERT_NE(dialog, nullptr);
  ASSERT_EQ(driver_.lastPage(), "Language");
  Driver::SelectComboItem(dialog, IDC_LANGUAGE_LIST, 1);  // French
  ::Sleep(300);
  Driver::Screenshot(dialog, gui::JoinPath(ShotFolder(), L"Language.png"));
  Driver::Click(dialog, IDC_LANGUAGE_OK);
  HWND welcome = driver_.WaitForNamedPage("Welcome");
  ASSERT_NE(welcome, nullptr);
  EXPECT_EQ(Driver::ItemText(welcome, IDC_WELCOME_INTRO).rfind(L"Le programme d'installation", 0), 0u);
  Walk(gui::kDefaultToInstall);
  PressFinish(true);

  Expected e;
  e.readmeSource = L"Readme_FR.txt";
  e.langid = L"40814d";
  // The product's own texts for every language of the list.
  for (const wchar_t* code : {L"en_us", L"fr_fr", L"de_de"}) {
    for (const wchar_t* name : {L"lang\\lang_", L"lang\\kqmcreator_lang_", L"lang\\uninst_lang_",
                                L"plugins\\RiRovozeVA\\OnDemandPluginlang_"}) {
      e.moreFiles.push_back(std::wstring(name) + code + L".xml");
    }
  }
  ExpectComplete(e);
}

TEST_F(Product, KilledDuringProgressThenRunAgainEndsComplete) {
  {
    // The browser plug-in's installer, run after the files and the printer, takes its time: the kill below
    // lands while the setup waits for it, however fast the machine.
    sys::ScopedEnvironment slow(L"KELTO_PLUGIN_DELAY_MS", L"30000");
    Start();
  }
  Walk(gui::kDefaultToInstall);
  HWND progress = driver_.WaitForNamedPage("Progress", 30000);
  ASSERT_NE(progress, nullptr) << "last " << driver_.lastPage();
  // Killed once the product files are copied, while the printer and the components are set up; the records
  // come last, so none may exist yet. The page itself is busy then and answers no messages: the file system
  // tells how far the install got.
  const std::wstring lastCopied = DefaultFolder() + L"\\Readme.txt";
  for (const DWORD start = ::GetTickCount(); !sys::Exists(lastCopied) && ::GetTickCount() - start < 60000;) ::Sleep(1);
  driver_.Kill();
  ASSERT_EQ(sys::ReadValue(HKEY_LOCAL_MACHINE, kProductKey, L"Version"), L"<none>")
      << "the install ended before it was killed";
  ASSERT_TRUE(sys::Exists(lastCopied)) << "the kill came before the files were copied";
  ASSERT_FALSE(sys::Exists(DesktopLink())) << "the install ended before it was killed";

  // The killed run's extraction folder stays behind, in the machine's temporary folder, not the user's; the
  // second run must leave nothing more.
  const std::vector<std::wstring> left = TempAdded();
  ASSERT_EQ(left.size(), 1u) << Narrow(left.empty() ? L"nothing" : left.back());
  wchar_t windows[MAX_PATH] = L"";
  ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
  const std::wstring machineTemp =
      std::wstring(windows) +
      (sys::IsFolder(std::wstring(windows) + L"\\SystemTemp") ? L"\\SystemTemp\\kel" : L"\\Temp\\kel");
  EXPECT_EQ(left[0].rfind(sys::Lower(machineTemp), 0), 0u) << Narrow(left[0]);
  tempBefore_ = TempEntries();
  InstallDefault();
  ExpectComplete(Expected{});
}

}  // namespace

// The virtual printer against the prefix's real spooler, registry and files. The failures Wine can't produce
// (a printer that can't be opened or deleted, a driver already gone) come through the spooler table.
#include "integration/virtual_printer.h"

#include <gtest/gtest.h>
#include <winspool.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <cwctype>
#include <map>
#include <memory>

#include "install_test_helpers.h"
#include "tests/driver/walk.h"

namespace {

using namespace install_test;

constexpr wchar_t kOtherDriver[] = L"Kelto Test Other Driver";
constexpr wchar_t kSecondPrinter[] = L"My PDF Printer";
constexpr wchar_t kUnrelatedPrinter[] = L"Kelto Test Unrelated Printer";
constexpr wchar_t kPendingRenamesKey[] = L"System\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingRenames[] = L"PendingFileRenameOperations";
using sys::kAddinMarker;

const std::vector<std::wstring>& kDriverCopies = sys::kDriverFiles;
const std::vector<std::wstring> kVersionFolderNames = {L"kqmvpr_drv.dll", L"kqmvpr_ui.dll", L"kqmvpr_pnt.txt",
                                                       L"KTC_ProxyProcess.exe"};
const std::vector<std::wstring> kMovedAsideNames = {L"ktTmp1.tmp", L"ktTmp2.tmp", L"ktTmp3.tmp", L"ktTmp4.tmp"};
const std::vector<std::wstring> kPackageFiles = {L"kqmvpr_drv.dll",       L"kqmvpr_ui.dll",          L"kqmvpr_pnt.txt",
                                                 L"KTC_ProxyProcess.exe", L"kqmvpr_drv64.dll",       L"kqmvpr_ui64.dll",
                                                 L"kqmvpr_pnt64.txt",     L"KTC_ProxyProcess64.exe", L"psapi.dll",
                                                 L"framedyn.dll"};

using sys::StageFolder;

std::wstring SystemFolder() {
  wchar_t windows[MAX_PATH] = L"";
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  return std::wstring(windows) + L"\\System32\\";
}

// --- the spooler as the tests see it, through the plain calls -----------------------------------------------

using sys::AddDriverDirectly;
using sys::AddPrinterDirectly;
using sys::DeletePrinterNamed;
using sys::DriverDirectoryOf;
using sys::DriverFacts;
using sys::FindDriver;
using sys::FindPrinter;
using sys::kProcessEnvironment;
using sys::LocalPrinters;
using sys::PrinterFacts;
using sys::SpoolerRefusesThePrinter;

bool PortExists() { return sys::PortExists(kPrinterPortName); }

DWORD PortCommand(const wchar_t* command) {
  std::wstring monitor = L", XcvMonitor Local Port";
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
  HANDLE handle = nullptr;
  if (!::OpenPrinterW(monitor.data(), &handle, &defaults)) return ::GetLastError();
  wchar_t port[64] = {};
  wcscpy(port, kPrinterPortName);
  DWORD needed = 0, status = 0;
  ::XcvDataW(handle, command, reinterpret_cast<PBYTE>(port), sizeof(kPrinterPortName), nullptr, 0, &needed, &status);
  ::ClosePrinter(handle);
  return status;
}

// The operations waiting for the next restart, as source and target in turn (an empty target deletes).
std::vector<std::wstring> PendingRenames() {
  const RawValue raw = ReadRaw(HKEY_LOCAL_MACHINE, kPendingRenamesKey, kPendingRenames);
  std::vector<std::wstring> entries;
  const auto* text = reinterpret_cast<const wchar_t*>(raw.bytes.data());
  const size_t length = raw.bytes.size() / sizeof(wchar_t);
  for (size_t i = 0; i < length;) {
    const std::wstring entry(text + i);
    entries.push_back(entry);
    i += entry.size() + 1;
  }
  // The list's own closing zero reads as one more, unpaired, empty entry.
  while (!entries.empty() && entries.back().empty() && entries.size() % 2) entries.pop_back();
  return entries;
}

bool IsOurs(const std::wstring& path) {
  for (const std::wstring& name : kMovedAsideNames) {
    if (path.size() >= name.size() && Lower(path.substr(path.size() - name.size())) == Lower(name)) return true;
  }
  return false;
}

void ForgetOurPendingRenames() {
  const std::vector<std::wstring> entries = PendingRenames();
  std::wstring kept;
  for (size_t i = 0; i + 1 < entries.size(); i += 2) {
    if (IsOurs(entries[i])) continue;
    kept += entries[i] + L'\0' + entries[i + 1] + L'\0';
  }
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPendingRenamesKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  if (kept.empty()) {
    ::RegDeleteValueW(key, kPendingRenames);
  } else {
    kept += L'\0';
    ::RegSetValueExW(key, kPendingRenames, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kept.data()),
                     static_cast<DWORD>(kept.size() * sizeof(wchar_t)));
  }
  ::RegCloseKey(key);
}

// What a removal left in the version-3 folder that won't go at the next restart either. (Wine keeps the
// configuration module it loaded for AddPrinterW in this process, so its moved-aside copy can only be scheduled.)
std::vector<std::wstring> LeftInVersionFolder(const wchar_t* environment) {
  std::vector<std::wstring> scheduled;
  const std::vector<std::wstring> entries = PendingRenames();
  for (size_t i = 0; i + 1 < entries.size(); i += 2) {
    if (entries[i + 1].empty()) scheduled.push_back(Lower(entries[i]));
  }
  const std::wstring folder = DriverDirectoryOf(environment) + L"\\3\\";
  std::vector<std::wstring> left;
  for (const std::wstring& name : kVersionFolderNames) {
    if (Exists(folder + name)) left.push_back(name);
  }
  for (const std::wstring& name : kMovedAsideNames) {
    const std::wstring path = L"\\??\\" + Lower(folder + name);
    if (Exists(folder + name) && std::find(scheduled.begin(), scheduled.end(), path) == scheduled.end()) {
      left.push_back(name);
    }
  }
  return left;
}

// Takes away every spooler object and file a test here may have made, in both environments.
void ResetSpooler() {
  for (const PrinterFacts& printer : LocalPrinters()) {
    if (printer.driver == kPrinterDriverName || printer.driver == kOtherDriver || printer.name == kPrinterName ||
        printer.name == kSecondPrinter || printer.name == kUnrelatedPrinter) {
      DeletePrinterNamed(printer.name);
    }
  }
  for (const wchar_t* environment : {kEnvironment32, kEnvironment64}) {
    std::wstring env = environment;
    for (std::wstring driver : {std::wstring(kPrinterDriverName), std::wstring(kOtherDriver)}) {
      ::DeletePrinterDriverW(nullptr, env.data(), driver.data());
    }
    const std::wstring directory = DriverDirectoryOf(environment);
    if (directory.empty()) continue;
    for (const std::wstring& name : kDriverCopies) ::DeleteFileW((directory + L"\\" + name).c_str());
    for (const auto* names : {&kVersionFolderNames, &kMovedAsideNames}) {
      for (const std::wstring& name : *names) {
        const std::wstring path = directory + L"\\3\\" + name;
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (::DeleteFileW(path.c_str()) || !Exists(path)) continue;
        // Wine keeps the configuration module it loaded for AddPrinterW in this process: out of the way with it.
        static int leftovers = 0;
        const std::wstring leftover = directory + L"\\3\\kelto-test-leftover-" +
                                      std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++leftovers);
        if (::MoveFileW(path.c_str(), leftover.c_str())) {
          ::MoveFileExW(leftover.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        }
      }
    }
  }
  PortCommand(L"DeletePort");
  ForgetOurPendingRenames();
}

// --- the seam, the progress bar and the add-in ----------------------------------------------------------------

template <typename Signature>
void CountCalls(std::function<Signature>& call, std::shared_ptr<int> count) {
  call = [inner = call, count](auto... args) {
    ++*count;
    return inner(args...);
  };
}

// The real spooler with every call counted.
SpoolerCalls CountedSpooler(std::shared_ptr<int> count) {
  SpoolerCalls calls = RealSpoolerCalls();
  CountCalls(calls.getPrinterDriverDirectory, count);
  CountCalls(calls.openPrinter, count);
  CountCalls(calls.closePrinter, count);
  CountCalls(calls.xcvData, count);
  CountCalls(calls.addPrinterDriver, count);
  CountCalls(calls.addPrinter, count);
  CountCalls(calls.enumPrinters, count);
  CountCalls(calls.deletePrinter, count);
  CountCalls(calls.deletePrinterDriver, count);
  CountCalls(calls.enumPrinterDrivers, count);
  return calls;
}

std::shared_ptr<int> Always() { return std::make_shared<int>(INT_MAX); }

// Makes a spooler call fail with `error` while `*left` is above zero (each failure counts it down) and pass to
// the one it replaces otherwise; `*calls`, when given, counts every call. With `applies`, only the calls it
// picks can fail.
template <typename R, typename... A>
void Fail(std::function<R(A...)>& call, DWORD error, std::shared_ptr<int> left = Always(),
          std::shared_ptr<int> calls = nullptr, std::function<bool(A...)> applies = nullptr) {
  call = [inner = call, error, left, calls, applies](A... args) -> R {
    if (calls) ++*calls;
    if ((!applies || applies(args...)) && *left > 0) {
      --*left;
      ::SetLastError(error);
      return R{};
    }
    return inner(args...);
  };
}

// Opens for full access fail: the ones removal asks for, not the reads around them.
void FailFullAccessOpens(SpoolerCalls& spooler, std::shared_ptr<int> left) {
  Fail(spooler.openPrinter, ERROR_ACCESS_DENIED, left, nullptr,
       std::function<bool(LPWSTR, LPHANDLE, LPPRINTER_DEFAULTSW)>([](LPWSTR, LPHANDLE, LPPRINTER_DEFAULTSW defaults) {
         return defaults && defaults->DesiredAccess == PRINTER_ALL_ACCESS;
       }));
}

struct AddinRecord {
  int installResult = 1;
  std::vector<std::wstring> installs;  // "source|install folder"
  std::vector<std::wstring> removals;
  std::vector<Prompter*> prompters;  // the one the add-in would ask text 96 through
};

WordAddinSteps RecordingAddin(AddinRecord& record) {
  return {[&record](const std::wstring& source, const std::wstring& folder, Prompter* prompt) {
            record.installs.push_back(source + L"|" + folder);
            record.prompters.push_back(prompt);
            return record.installResult;
          },
          [&record](const std::wstring& folder) {
            record.removals.push_back(folder);
            return 1;
          }};
}

std::vector<std::wstring> Texts(std::initializer_list<unsigned> ids) {
  std::vector<std::wstring> out;
  for (unsigned id : ids) out.push_back(BuiltinText(id));
  return out;
}

// --- fixture --------------------------------------------------------------------------------------------------

class VirtualPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSpooler();
    for (const wchar_t* environment : {kEnvironment32, kEnvironment64}) {
      ASSERT_FALSE(FindDriver(environment, kPrinterDriverName)) << Narrow(environment);
      ASSERT_FALSE(FindDriver(environment, kOtherDriver)) << Narrow(environment);
    }
    ASSERT_FALSE(PortExists());
    ASSERT_FALSE(FindPrinter(kPrinterName));
    for (const wchar_t* folder : {L"", L"wbem\\"}) {
      if (!Exists(SystemFolder() + folder + L"framedyn.dll"))
        framedynAdded_.push_back(SystemFolder() + folder + L"framedyn.dll");
    }
    source_ = sandbox_.path() + L"\\extract";
    installFolder_ = sandbox_.path() + L"\\Kelto Quorbel";
    ::CreateDirectoryW(source_.c_str(), nullptr);
    ::CreateDirectoryW(installFolder_.c_str(), nullptr);
    for (const std::wstring& name : kPackageFiles) {
      ASSERT_TRUE(::CopyFileW((StageFolder() + L"\\" + name).c_str(), (source_ + L"\\" + name).c_str(), FALSE))
          << Narrow(name);
    }
  }
  void TearDown() override {
    ResetSpooler();
    DeleteKey(HKEY_CURRENT_USER, kAddinMarker);
    for (const std::wstring& path : framedynAdded_) ::DeleteFileW(path.c_str());
  }

  // What the install sequence passes: both folders with their trailing separator.
  PrinterInstallParams Params(int isWow64 = 0, int isAdmin = 1) {
    return {source_ + L"\\", installFolder_ + L"/", isWow64, isAdmin, &prompts_};
  }
  void Prepare(VirtualPrinterInstaller& printer, const PrinterInstallParams& params) {
    printer.InitForInstall(params);
    printer.SetProgress(&progress_, 15, 40);
    printer.SetWordAddinSteps(RecordingAddin(addin_));
  }
  void PrepareRemoval(VirtualPrinterInstaller& printer) {
    printer.InitForRemoval(installFolder_ + L"\\", &removalProgress_, 60, 75);
    printer.SetPrompter(&prompts_);
    printer.SetWordAddinSteps(RecordingAddin(addin_));
  }
  // A removal prepared as above on `spooler`: what it returned.
  int RemoveWith(SpoolerCalls spooler = RealSpoolerCalls()) {
    VirtualPrinterInstaller remover(std::move(spooler));
    PrepareRemoval(remover);
    return remover.Remove();
  }

  // The product installed as far as this prefix's spooler allows: by Install where Wine takes the printer,
  // else the same objects made directly (the printer on the 32-bit driver Wine's spooler knows).
  void InstallForRemoval() {
    if (!PrefixIs64Bit()) {
      VirtualPrinterInstaller printer;
      Prepare(printer, Params());
      ASSERT_EQ(printer.Install(), 1);
    } else {
      ASSERT_EQ(PortCommand(L"AddPort"), 0u);
      ASSERT_TRUE(AddDriverDirectly(kPrinterDriverName, kEnvironment64));
      ASSERT_TRUE(AddDriverDirectly(kPrinterDriverName, kEnvironment32));
      ASSERT_TRUE(AddPrinterDirectly(kPrinterName, kPrinterDriverName, kPrinterPortName));
      ASSERT_TRUE(::CopyFileW((source_ + L"\\KTC_ProxyProcess64.exe").c_str(),
                              VersionFile(L"KTC_ProxyProcess.exe").c_str(), FALSE));
    }
    addin_ = {};
    progress_.calls.clear();
  }

  const wchar_t* Environment() const { return PrefixIs64Bit() ? kEnvironment64 : kEnvironment32; }
  // Which of the printer, its driver (under `environment`, this prefix's by default) and its port the spooler
  // lists: "printer driver port", with "-" for each it doesn't.
  std::string Listed(const wchar_t* environment = nullptr) const {
    return std::string(FindPrinter(kPrinterName) ? "printer" : "-") +
           (FindDriver(environment ? environment : Environment(), kPrinterDriverName) ? " driver" : " -") +
           (PortExists() ? " port" : " -");
  }
  std::wstring DriverFile(const std::wstring& name) const { return DriverDirectoryOf(Environment()) + L"\\" + name; }
  std::wstring VersionFile(const std::wstring& name) const {
    return DriverDirectoryOf(Environment()) + L"\\3\\" + name;
  }
  std::map<std::wstring, std::string> VersionFolderContents() const {
    std::map<std::wstring, std::string> contents;
    for (const auto* names : {&kVersionFolderNames, &kMovedAsideNames}) {
      for (const std::wstring& name : *names) {
        if (Exists(VersionFile(name))) contents[name] = ReadText(VersionFile(name));
      }
    }
    return contents;
  }

  // Every retry question is answered, Cancel unless the test says otherwise, so that none can loop; the
  // questions asked so far are forgotten.
  void AnswerBoxes(std::vector<int> answers) { prompts_ = RecordingPrompter(std::move(answers), IDCANCEL); }

  RecordingPrompter prompts_{std::vector<int>{}, IDCANCEL};
  Sandbox sandbox_{L"printer"};
  std::wstring source_, installFolder_;
  std::vector<std::wstring> framedynAdded_;
  RecordingProgress progress_, removalProgress_;
  AddinRecord addin_;
};

// --- install and removal on the real spooler -----------------------------------------------------------------

TEST_F(VirtualPrinterTest, InstallBuildsPortDriverPrinterAndProxyAndRemoveTakesThemAway) {
  if (PrefixIs64Bit()) GTEST_SKIP() << "Wine's 32-bit spooler adds no printer on a 64-bit driver";
  const std::string systemPsapi = ReadText(SystemFolder() + L"psapi.dll");
  {
    VirtualPrinterInstaller printer;
    Prepare(printer, Params());
    EXPECT_EQ(printer.Install(), 1);
    EXPECT_TRUE(prompts_.texts().empty());
    AnswerBoxes({});
    EXPECT_EQ(printer.stage(), 4);
    EXPECT_EQ(printer.environment(), L"Windows NT x86");
    EXPECT_EQ(printer.driverDirectory(), DriverDirectoryOf(kEnvironment32));
    EXPECT_EQ(progress_.positions(),
              (std::vector<std::wstring>{L"18", L"21", L"24", L"27", L"30", L"33", L"36", L"40"}));
  }
  EXPECT_TRUE(PortExists());

  DriverFacts driver;
  ASSERT_TRUE(FindDriver(kEnvironment32, kPrinterDriverName, &driver));
  EXPECT_EQ(driver.version, 3u);
  EXPECT_EQ(driver.environment, L"Windows NT x86");
  EXPECT_EQ(Lower(driver.driverPath), Lower(VersionFile(L"kqmvpr_drv.dll")));
  EXPECT_EQ(Lower(driver.configFile), Lower(VersionFile(L"kqmvpr_ui.dll")));
  EXPECT_EQ(Lower(driver.dataFile), Lower(VersionFile(L"kqmvpr_pnt.txt")));
  for (const std::wstring& name : kVersionFolderNames) {
    EXPECT_EQ(ReadText(VersionFile(name)), ReadText(source_ + L"\\" + name)) << Narrow(name);
  }

  PrinterFacts facts;
  ASSERT_TRUE(FindPrinter(kPrinterName, &facts));
  EXPECT_EQ(facts.port, L"KELTO_QUORBEL:");
  EXPECT_EQ(facts.driver, L"Kelto Quorbel Printer Driver");
  EXPECT_EQ(facts.processor, L"WinPrint");
  EXPECT_EQ(facts.dataType, L"RAW");
  EXPECT_TRUE(facts.attributes & PRINTER_ATTRIBUTE_LOCAL);

  // The add-in gets both folders without their separators and the program's prompter.
  EXPECT_EQ(addin_.installs, std::vector<std::wstring>{source_ + L"|" + installFolder_});
  EXPECT_EQ(addin_.prompters, std::vector<Prompter*>{&prompts_});
  // Support files: Wine has its own psapi.dll, which stays; it has no framedyn.dll, which comes from the package.
  EXPECT_EQ(ReadText(SystemFolder() + L"psapi.dll"), systemPsapi);
  EXPECT_EQ(ReadText(SystemFolder() + L"framedyn.dll"), ReadText(source_ + L"\\framedyn.dll"));

  // Printers the user added on the same driver go too; one on another driver stays.
  ASSERT_TRUE(AddPrinterDirectly(kSecondPrinter, kPrinterDriverName, kPrinterPortName));
  ASSERT_TRUE(AddDriverDirectly(kOtherDriver, kProcessEnvironment));
  ASSERT_TRUE(AddPrinterDirectly(kUnrelatedPrinter, kOtherDriver, L"LPT1:"));

  EXPECT_EQ(RemoveWith(), 1);
  EXPECT_TRUE(prompts_.texts().empty());
  EXPECT_EQ(Listed(kEnvironment32), "- - -");
  EXPECT_FALSE(FindPrinter(kSecondPrinter));
  EXPECT_TRUE(FindPrinter(kUnrelatedPrinter));
  EXPECT_TRUE(FindDriver(kProcessEnvironment, kOtherDriver));
  for (const std::wstring& name : kDriverCopies) EXPECT_FALSE(Exists(DriverFile(name))) << Narrow(name);
  EXPECT_EQ(LeftInVersionFolder(Environment()), std::vector<std::wstring>{});
  EXPECT_EQ(addin_.removals, std::vector<std::wstring>{installFolder_});
  EXPECT_FALSE(IsFolder(installFolder_));  // empty, so it went
  EXPECT_TRUE(removalProgress_.calls.empty());
}

TEST_F(VirtualPrinterTest, RemoveDeletesEveryLocalPrinterOnTheDriverWhateverItsName) {
  InstallForRemoval();
  ASSERT_TRUE(AddPrinterDirectly(kSecondPrinter, kPrinterDriverName, L"LPT1:"));
  ASSERT_TRUE(AddDriverDirectly(kOtherDriver, kProcessEnvironment));
  ASSERT_TRUE(AddPrinterDirectly(kUnrelatedPrinter, kOtherDriver, kPrinterPortName));
  WriteText(installFolder_ + L"\\settings.ini", "user data");

  EXPECT_EQ(RemoveWith(), 1);
  EXPECT_TRUE(prompts_.texts().empty());
  EXPECT_EQ(Listed(), "- - -");
  EXPECT_FALSE(FindPrinter(kSecondPrinter));
  EXPECT_TRUE(FindPrinter(kUnrelatedPrinter));
  EXPECT_EQ(LeftInVersionFolder(Environment()), std::vector<std::wstring>{});
  // A folder with something left in it stays.
  EXPECT_TRUE(Exists(installFolder_ + L"\\settings.ini"));
}

TEST_F(VirtualPrinterTest, AnExistingPrinterOfTheNameIsLeftAsItIs) {
  ASSERT_TRUE(AddDriverDirectly(kOtherDriver, kProcessEnvironment));
  ASSERT_TRUE(AddPrinterDirectly(kPrinterName, kOtherDriver, L"LPT1:"));

  VirtualPrinterInstaller printer;
  Prepare(printer, Params(PrefixIs64Bit() ? 1 : 0));
  EXPECT_EQ(printer.Install(), 1);
  EXPECT_TRUE(prompts_.texts().empty());
  EXPECT_EQ(printer.stage(), 4);
  PrinterFacts facts;
  ASSERT_TRUE(FindPrinter(kPrinterName, &facts));
  EXPECT_EQ(facts.driver, kOtherDriver);
  EXPECT_EQ(facts.port, L"LPT1:");
  EXPECT_EQ(Listed(), "printer driver port");
  EXPECT_TRUE(Exists(VersionFile(L"KTC_ProxyProcess.exe")));
}

TEST_F(VirtualPrinterTest, AnExistingPortCountsAsSuccess) {
  ASSERT_EQ(PortCommand(L"AddPort"), 0u);
  ASSERT_EQ(PortCommand(L"AddPort"), static_cast<DWORD>(ERROR_ALREADY_EXISTS));

  VirtualPrinterInstaller printer;
  Prepare(printer, Params(PrefixIs64Bit() ? 1 : 0));
  const int result = printer.Install();
  EXPECT_TRUE(prompts_.texts().empty());
  // Past the port either way; only Wine's 32-bit spooler on a 64-bit driver stops it at the printer.
  EXPECT_GE(printer.stage(), 3);
  EXPECT_EQ(result, SpoolerRefusesThePrinter() ? 0 : 1);
  EXPECT_EQ(progress_.positions().size(), SpoolerRefusesThePrinter() ? 3u : 8u);
}

TEST_F(VirtualPrinterTest, On64BitWindowsThe64BitFilesGoInUnderTheir32BitNamesAndARefusedPrinterIsUndone) {
  // Marked sources show which file went where; Wine checks none of them.
  for (const std::wstring name : {L"kqmvpr_drv", L"kqmvpr_ui", L"kqmvpr_pnt", L"KTC_ProxyProcess"}) {
    for (const std::wstring suffix : {L"", L"64"}) {
      const std::wstring extension = name == L"kqmvpr_pnt" ? L".txt" : name == L"KTC_ProxyProcess" ? L".exe" : L".dll";
      ASSERT_TRUE(WriteText(source_ + L"\\" + name + suffix + extension, Narrow(name + suffix)));
    }
  }
  // The records as the spooler got them, field by field ("<null>" for a null text).
  struct Seen {
    std::vector<std::wstring> driver, printer;
    bool listedUnder64 = false, listedUnder32 = false;
    std::map<std::wstring, std::string> copies;
    std::map<std::wstring, std::string> versionCopies;
    DWORD printerError = 0;
    PRINTER_INFO_2W printerRest{};
  };
  auto seen = std::make_shared<Seen>();
  auto text = [](const wchar_t* field) { return field ? std::wstring(field) : L"<null>"; };
  SpoolerCalls spooler = RealSpoolerCalls();
  spooler.addPrinterDriver = [seen, text](LPWSTR server, DWORD level, LPBYTE info) {
    const auto& r = *reinterpret_cast<DRIVER_INFO_3W*>(info);
    seen->driver = {
        std::to_wstring(r.cVersion), text(r.pName),           text(r.pEnvironment), text(r.pDriverPath),
        text(r.pDataFile),           text(r.pConfigFile),     text(r.pHelpFile),    std::wstring(r.pDependentFiles, 2),
        text(r.pMonitorName),        text(r.pDefaultDataType)};
    const BOOL added = ::AddPrinterDriverW(server, level, info);
    seen->listedUnder64 = FindDriver(kEnvironment64, kPrinterDriverName);
    seen->listedUnder32 = FindDriver(kEnvironment32, kPrinterDriverName);
    const std::wstring directory = DriverDirectoryOf(kEnvironment64);
    for (const std::wstring& name : kDriverCopies) {
      seen->copies[name] = ReadText(directory + L"\\" + name);
      seen->versionCopies[name] = ReadText(directory + L"\\3\\" + name);
    }
    return added;
  };
  spooler.addPrinter = [seen, text](LPWSTR server, DWORD level, LPBYTE info) {
    PRINTER_INFO_2W r = *reinterpret_cast<PRINTER_INFO_2W*>(info);
    seen->printer = {text(r.pPrinterName),    text(r.pPortName), text(r.pDriverName),
                     text(r.pPrintProcessor), text(r.pDatatype), std::to_wstring(r.Attributes)};
    r.pPrinterName = r.pPortName = r.pDriverName = r.pPrintProcessor = r.pDatatype = nullptr;
    r.Attributes = 0;
    seen->printerRest = r;
    HANDLE printer = ::AddPrinterW(server, level, info);
    if (!printer) seen->printerError = ::GetLastError();
    return printer;
  };

  VirtualPrinterInstaller printer(spooler);
  Prepare(printer, Params(1));
  EXPECT_EQ(printer.Install(), SpoolerRefusesThePrinter(true) ? 0 : 1);
  EXPECT_TRUE(prompts_.texts().empty());
  EXPECT_EQ(printer.environment(), L"Windows x64");
  EXPECT_EQ(printer.driverDirectory(), DriverDirectoryOf(kEnvironment64));

  // The driver record: version, name, environment, driver, data file, configuration module, help file,
  // dependent files (an empty list), no monitor, default data type.
  EXPECT_EQ(seen->driver, (std::vector<std::wstring>{L"3", L"Kelto Quorbel Printer Driver", L"Windows x64",
                                                     L"kqmvpr_drv.dll", L"kqmvpr_pnt.txt", L"kqmvpr_ui.dll", L"",
                                                     std::wstring(2, L'\0'), L"<null>", L""}));
  const std::map<std::wstring, std::string> expected = {
      {L"kqmvpr_drv.dll", "kqmvpr_drv64"}, {L"kqmvpr_ui.dll", "kqmvpr_ui64"}, {L"kqmvpr_pnt.txt", "kqmvpr_pnt64"}};
  EXPECT_EQ(seen->copies, expected);
  EXPECT_EQ(seen->versionCopies, expected);  // the spooler's own copies
  // The spooler lists a 64-bit driver to a 32-bit process too, under its own environment only.
  EXPECT_TRUE(seen->listedUnder64);
  EXPECT_FALSE(seen->listedUnder32);

  // The printer record: name, port, driver, processor, data type, a local printer; everything else zero.
  EXPECT_EQ(seen->printer,
            (std::vector<std::wstring>{L"Kelto Quorbel Printer", L"KELTO_QUORBEL:", L"Kelto Quorbel Printer Driver",
                                       L"WinPrint", L"RAW", std::to_wstring(PRINTER_ATTRIBUTE_LOCAL)}));
  const PRINTER_INFO_2W zero{};
  EXPECT_EQ(std::memcmp(&seen->printerRest, &zero, sizeof(zero)), 0);

  if (!SpoolerRefusesThePrinter(true)) {
    EXPECT_EQ(seen->printerError, 0u);
    EXPECT_TRUE(FindPrinter(kPrinterName));
    return;
  }
  // Wine's 32-bit spooler knows only 32-bit drivers: it refuses the printer, and the undo takes the rest away.
  EXPECT_EQ(seen->printerError, static_cast<DWORD>(ERROR_UNKNOWN_PRINTER_DRIVER));
  EXPECT_EQ(printer.stage(), 3);
  EXPECT_EQ(progress_.positions(), (std::vector<std::wstring>{L"18", L"21", L"24"}));
  EXPECT_EQ(Listed(kEnvironment64), "- - -");
  for (const std::wstring& name : kDriverCopies) {
    EXPECT_FALSE(Exists(DriverDirectoryOf(kEnvironment64) + L"\\" + name)) << Narrow(name);
  }
  EXPECT_TRUE(addin_.installs.empty());
}

// A printer of the name that is already there lets Wine's 32-bit spooler get past the printer on a 64-bit
// driver too.
TEST_F(VirtualPrinterTest, TheWordAddinComesLastAndGoesAfterTheSpoolerObjects) {
  ASSERT_TRUE(AddDriverDirectly(kOtherDriver, kProcessEnvironment));
  ASSERT_TRUE(AddPrinterDirectly(kPrinterName, kOtherDriver, L"LPT1:"));
  ASSERT_TRUE(
      ::CopyFileW((StageFolder() + L"\\kpc_wordaddin.dll").c_str(), (source_ + L"\\kpc_wordaddin.dll").c_str(), FALSE));

  VirtualPrinterInstaller printer;
  printer.InitForInstall(Params(PrefixIs64Bit() ? 1 : 0));
  EXPECT_EQ(printer.Install(), 1);
  EXPECT_TRUE(Exists(installFolder_ + L"\\kpc_wordaddin.dll"));
  EXPECT_EQ(Lower(ReadRaw(HKEY_CURRENT_USER, kAddinMarker, L"").text()),
            Lower(installFolder_ + L"\\kpc_wordaddin.dll"));

  VirtualPrinterInstaller remover;
  remover.InitForRemoval(installFolder_, nullptr, 60, 75);
  remover.SetPrompter(&prompts_);
  EXPECT_EQ(remover.Remove(), 1);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAddinMarker));
  EXPECT_FALSE(Exists(installFolder_ + L"\\kpc_wordaddin.dll"));
  EXPECT_FALSE(IsFolder(installFolder_));
  EXPECT_TRUE(prompts_.texts().empty());
}

TEST_F(VirtualPrinterTest, AFailedAddinFailsTheInstallButUndoesNothing) {
  ASSERT_TRUE(AddDriverDirectly(kOtherDriver, kProcessEnvironment));
  ASSERT_TRUE(AddPrinterDirectly(kPrinterName, kOtherDriver, L"LPT1:"));
  addin_.installResult = 0;

  VirtualPrinterInstaller printer;
  Prepare(printer, Params(PrefixIs64Bit() ? 1 : 0));
  EXPECT_EQ(printer.Install(), 0);
  EXPECT_EQ(printer.stage(), 4);
  EXPECT_EQ(progress_.positions(), (std::vector<std::wstring>{L"18", L"21", L"24", L"27", L"30", L"33", L"36"}));
  EXPECT_EQ(addin_.installs.size(), 1u);
  EXPECT_EQ(Listed(), "printer driver port");
  EXPECT_TRUE(Exists(VersionFile(L"KTC_ProxyProcess.exe")));
  EXPECT_TRUE(prompts_.texts().empty());
}

// A file the copy cannot take undoes the copies and everything built before it, without a message.
TEST_F(VirtualPrinterTest, AFileThatCannotBeCopiedUndoesWhatCameBefore) {
  struct Missing {
    std::vector<std::wstring> files;
    int stage;
    std::vector<std::wstring> positions;
  };
  const Missing cases[] = {
      // The driver's files: the port goes again, no driver was added.
      {{L"kqmvpr_pnt.txt", L"kqmvpr_pnt64.txt"}, 2, {L"18", L"21"}},
      // The proxy, after driver and printer (which Wine's 32-bit spooler adds only in a 32-bit prefix).
      {{L"KTC_ProxyProcess.exe"}, 4, {L"18", L"21", L"24", L"27"}},
  };
  for (const Missing& missing : cases) {
    if (missing.stage == 4 && PrefixIs64Bit()) continue;
    SCOPED_TRACE(Narrow(missing.files.front()));
    std::vector<std::string> kept;
    for (const std::wstring& name : missing.files) {
      kept.push_back(ReadText(source_ + L"\\" + name));
      ASSERT_TRUE(::DeleteFileW((source_ + L"\\" + name).c_str()));
    }
    progress_.calls.clear();
    VirtualPrinterInstaller printer;
    Prepare(printer, Params(PrefixIs64Bit() ? 1 : 0));
    EXPECT_EQ(printer.Install(), 0);
    EXPECT_TRUE(prompts_.texts().empty());
    EXPECT_EQ(printer.stage(), missing.stage);
    EXPECT_EQ(progress_.positions(), missing.positions);
    EXPECT_EQ(Listed(), "- - -");
    for (const std::wstring& name : kDriverCopies) EXPECT_FALSE(Exists(DriverFile(name))) << Narrow(name);
    EXPECT_TRUE(addin_.installs.empty());
    for (size_t i = 0; i < missing.files.size(); ++i)
      ASSERT_TRUE(WriteText(source_ + L"\\" + missing.files[i], kept[i]));
  }
}

TEST_F(VirtualPrinterTest, OldVersionFilesAreMovedAsideAndALoadedOneGoesAtTheNextRestart) {
  const std::wstring folder = DriverDirectoryOf(Environment()) + L"\\3";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  for (const std::wstring& name : kVersionFolderNames) ASSERT_TRUE(WriteText(folder + L"\\" + name, "old"));
  // A library in use can be renamed but not deleted.
  ASSERT_TRUE(::CopyFileW((source_ + L"\\kqmvpr_drv.dll").c_str(), (folder + L"\\kqmvpr_drv.dll").c_str(), FALSE));
  HMODULE loaded = ::LoadLibraryW((folder + L"\\kqmvpr_drv.dll").c_str());
  ASSERT_NE(loaded, nullptr);

  VirtualPrinterInstaller printer;
  Prepare(printer, Params(PrefixIs64Bit() ? 1 : 0));
  printer.Install();
  ::FreeLibrary(loaded);

  EXPECT_FALSE(Exists(folder + L"\\ktTmp1.tmp"));
  EXPECT_FALSE(Exists(folder + L"\\ktTmp2.tmp"));
  EXPECT_TRUE(Exists(folder + L"\\ktTmp3.tmp"));
  EXPECT_FALSE(Exists(folder + L"\\ktTmp4.tmp"));
  // Only the file that is really left over is scheduled, for deletion (an empty new name).
  std::vector<std::wstring> ours;
  const std::vector<std::wstring> entries = PendingRenames();
  for (size_t i = 0; i + 1 < entries.size(); i += 2) {
    if (IsOurs(entries[i])) ours.push_back(Lower(entries[i]) + L"|" + entries[i + 1]);
  }
  EXPECT_EQ(ours, std::vector<std::wstring>{L"\\??\\" + Lower(folder) + L"\\kttmp3.tmp|"});
  if (!PrefixIs64Bit()) {
    EXPECT_EQ(ReadText(folder + L"\\kqmvpr_drv.dll"), ReadText(source_ + L"\\kqmvpr_drv.dll"));
    EXPECT_EQ(ReadText(folder + L"\\KTC_ProxyProcess.exe"), ReadText(source_ + L"\\KTC_ProxyProcess.exe"));
  }
}

// --- rights, platform and folders ----------------------------------------------------------------------------

TEST_F(VirtualPrinterTest, WithoutAdministratorRightsNothingIsTouchedOrShown) {
  const std::wstring folder = DriverDirectoryOf(Environment()) + L"\\3";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  for (const std::wstring& name : kVersionFolderNames) ASSERT_TRUE(WriteText(folder + L"\\" + name, "old"));
  const auto before = VersionFolderContents();
  auto calls = std::make_shared<int>(0);

  VirtualPrinterInstaller printer(CountedSpooler(calls));
  Prepare(printer, Params(PrefixIs64Bit() ? 1 : 0, 0));
  EXPECT_EQ(printer.Install(), 0);
  EXPECT_EQ(printer.Remove(), 0);
  EXPECT_TRUE(prompts_.texts().empty());
  EXPECT_EQ(*calls, 0);
  EXPECT_TRUE(progress_.calls.empty());
  EXPECT_EQ(printer.stage(), 0);
  EXPECT_EQ(VersionFolderContents(), before);
  EXPECT_FALSE(PortExists());
  EXPECT_TRUE(addin_.installs.empty());
  EXPECT_TRUE(addin_.removals.empty());
  EXPECT_TRUE(IsFolder(installFolder_));
  for (const std::wstring& path : framedynAdded_) EXPECT_FALSE(Exists(path));
}

TEST_F(VirtualPrinterTest, WithoutADriverDirectoryNothingIsTouched) {
  // Without the directory the version-3 paths would be "\3\..." on the current drive.
  wchar_t previous[MAX_PATH * 2] = L"";
  ::GetCurrentDirectoryW(MAX_PATH * 2, previous);
  ASSERT_TRUE(::SetCurrentDirectoryW(sandbox_.path().c_str()));
  const std::wstring root = sandbox_.path().substr(0, 3);
  const std::wstring bait = root + L"3\\kqmvpr_drv.dll";
  const bool hadFolder = IsFolder(root + L"3");
  ::CreateDirectoryW((root + L"3").c_str(), nullptr);
  ASSERT_TRUE(WriteText(bait, "not ours"));

  auto calls = std::make_shared<int>(0);
  SpoolerCalls spooler = CountedSpooler(calls);
  Fail(spooler.getPrinterDriverDirectory, ERROR_INVALID_ENVIRONMENT, Always(), calls);
  VirtualPrinterInstaller printer(spooler);
  Prepare(printer, Params());
  EXPECT_EQ(printer.Install(), 0);
  EXPECT_EQ(printer.Remove(), 0);
  EXPECT_TRUE(prompts_.texts().empty());
  EXPECT_EQ(*calls, 2);  // the two directory questions
  EXPECT_EQ(ReadText(bait), "not ours");
  EXPECT_FALSE(Exists(root + L"3\\ktTmp3.tmp"));
  EXPECT_FALSE(Exists(root + L"kqmvpr_drv.dll"));
  EXPECT_FALSE(PortExists());
  EXPECT_TRUE(progress_.calls.empty());

  ::DeleteFileW(bait.c_str());
  if (!hadFolder) ::RemoveDirectoryW((root + L"3").c_str());
  ::SetCurrentDirectoryW(previous);
}

TEST_F(VirtualPrinterTest, RemovalWithoutAFolderLooksForNoAddinAtTheDriveRoot) {
  SpoolerCalls spooler = RealSpoolerCalls();
  Fail(spooler.deletePrinterDriver, ERROR_UNKNOWN_PRINTER_DRIVER);
  VirtualPrinterInstaller remover(spooler);
  remover.InitForRemoval(L"\\", nullptr, 60, 75);
  remover.SetPrompter(&prompts_);
  remover.SetWordAddinSteps(RecordingAddin(addin_));
  EXPECT_EQ(remover.installFolder(), L"");
  EXPECT_EQ(remover.Remove(), 1);
  EXPECT_TRUE(addin_.removals.empty());
  EXPECT_TRUE(prompts_.texts().empty());
}

TEST_F(VirtualPrinterTest, InitialisationTakesFoldersFlagsAndPlatform) {
  VirtualPrinterInstaller printer;
  EXPECT_EQ(printer.InitForInstall({L"C:\\extract\\", L"C:\\Program Files\\Kelto/", 1, 1, {}}), 1);
  EXPECT_EQ(printer.sourceFolder(), L"C:\\extract");
  EXPECT_EQ(printer.installFolder(), L"C:\\Program Files\\Kelto");
  EXPECT_EQ(printer.environment(), L"Windows x64");
  EXPECT_EQ(printer.stage(), 0);
  EXPECT_EQ(printer.InitForInstall({L"C:\\extract", L"C:\\kelto", 0, 1, {}}), 1);
  EXPECT_EQ(printer.sourceFolder(), L"C:\\extract");
  EXPECT_EQ(printer.environment(), L"Windows NT x86");

  // Removal finds out rights and platform for itself.
  VirtualPrinterInstaller remover;
  EXPECT_EQ(remover.InitForRemoval(L"C:\\Program Files\\Old Kelto\\", nullptr, 60, 75), 1);
  EXPECT_EQ(remover.installFolder(), L"C:\\Program Files\\Old Kelto");
  EXPECT_EQ(remover.isAdmin(), 1);
  EXPECT_EQ(remover.isWow64(), PrefixIs64Bit() ? 1 : 0);
  EXPECT_EQ(remover.environment(), PrefixIs64Bit() ? L"Windows x64" : L"Windows NT x86");
  EXPECT_EQ(remover.stage(), 0);
}

// System folders as the 32-bit setup sees them (System32 is SysWOW64 on 64-bit Windows).
class SupportFilesTest : public VirtualPrinterTest {
 protected:
  void SetUp() override {
    VirtualPrinterTest::SetUp();
    systemPsapi_ = ReadText(SystemFolder() + L"psapi.dll");
    printer_.InitForInstall(Params());
  }
  void TearDown() override {
    if (psapiAside_) {
      ::DeleteFileW((SystemFolder() + L"psapi.dll").c_str());
      ::MoveFileW((SystemFolder() + L"psapi.dll.kelto-aside").c_str(), (SystemFolder() + L"psapi.dll").c_str());
    }
    VirtualPrinterTest::TearDown();
  }
  void SetPsapiAside() {
    ASSERT_TRUE(
        ::MoveFileW((SystemFolder() + L"psapi.dll").c_str(), (SystemFolder() + L"psapi.dll.kelto-aside").c_str()));
    psapiAside_ = true;
  }

  VirtualPrinterInstaller printer_;
  std::string systemPsapi_;
  bool psapiAside_ = false;
};

TEST_F(SupportFilesTest, OnlyWhatTheSystemLacksComesFromThePackage) {
  ASSERT_FALSE(Exists(SystemFolder() + L"framedyn.dll")) << "Wine has no framedyn.dll of its own";
  EXPECT_EQ(printer_.InstallSupportFiles(), 1);
  EXPECT_EQ(ReadText(SystemFolder() + L"psapi.dll"), systemPsapi_);
  EXPECT_EQ(ReadText(SystemFolder() + L"framedyn.dll"), ReadText(source_ + L"\\framedyn.dll"));
  EXPECT_FALSE(Exists(SystemFolder() + L"wbem\\framedyn.dll"));

  SetPsapiAside();
  ASSERT_TRUE(WriteText(source_ + L"\\framedyn.dll", "newer"));
  EXPECT_EQ(printer_.InstallSupportFiles(), 1);
  EXPECT_EQ(ReadText(SystemFolder() + L"psapi.dll"), ReadText(source_ + L"\\psapi.dll"));
  EXPECT_NE(ReadText(SystemFolder() + L"framedyn.dll"), "newer");
}

TEST_F(SupportFilesTest, AFramedynInWbemIsEnough) {
  const std::wstring wbem = SystemFolder() + L"wbem\\framedyn.dll";
  ASSERT_TRUE(WriteText(wbem, "system's own"));
  EXPECT_EQ(printer_.InstallSupportFiles(), 1);
  EXPECT_FALSE(Exists(SystemFolder() + L"framedyn.dll"));
  EXPECT_EQ(ReadText(wbem), "system's own");
}

TEST_F(SupportFilesTest, AMissingPsapiThatCannotBeCopiedFailsTheStepBeforeFramedyn) {
  SetPsapiAside();
  ASSERT_TRUE(::DeleteFileW((source_ + L"\\psapi.dll").c_str()));
  EXPECT_EQ(printer_.InstallSupportFiles(), 0);
  EXPECT_FALSE(Exists(SystemFolder() + L"psapi.dll"));
  EXPECT_FALSE(Exists(SystemFolder() + L"framedyn.dll"));
}

// --- the retry boxes, through the spooler table --------------------------------------------------------------

TEST_F(VirtualPrinterTest, CancelInTheDeletePrinterBoxLeavesEverythingInPlace) {
  InstallForRemoval();
  const auto versionFolder = VersionFolderContents();
  ASSERT_FALSE(versionFolder.empty());
  auto deletes = std::make_shared<int>(0);
  SpoolerCalls spooler = RealSpoolerCalls();
  Fail(spooler.deletePrinter, ERROR_ACCESS_DENIED, Always(), deletes);

  {
    // With nobody to ask, the retry is declined as Cancel declines it.
    VirtualPrinterInstaller remover(spooler);
    PrepareRemoval(remover);
    remover.SetPrompter(nullptr);
    EXPECT_EQ(remover.Remove(), 0);
    EXPECT_EQ(*deletes, 1);
    *deletes = 0;
  }
  AnswerBoxes({IDCANCEL});
  EXPECT_EQ(RemoveWith(spooler), 0);
  const std::vector<Prompt>& shown = prompts_.prompts();
  ASSERT_EQ(shown.size(), 1u);
  // OK and Cancel, captioned with the printer's name (which the setup shows without an owner).
  EXPECT_EQ(shown[0].caption, PromptCaption::Printer);
  EXPECT_EQ(shown[0].captionText, L"Kelto Quorbel Printer");
  EXPECT_EQ(shown[0].text, BuiltinText(94));
  EXPECT_EQ(shown[0].style, static_cast<unsigned>(MB_OKCANCEL));
  EXPECT_EQ(*deletes, 1);

  EXPECT_EQ(Listed(), "printer driver port");
  for (const std::wstring& name : kDriverCopies) EXPECT_TRUE(Exists(DriverFile(name))) << Narrow(name);
  EXPECT_EQ(VersionFolderContents(), versionFolder);
  EXPECT_TRUE(addin_.removals.empty());
  EXPECT_TRUE(IsFolder(installFolder_));
}

TEST_F(VirtualPrinterTest, CancelInTheOpenOrDeleteDriverBoxStopsWhereItStands) {
  InstallForRemoval();
  SpoolerCalls spooler = RealSpoolerCalls();
  auto openFailures = Always();
  FailFullAccessOpens(spooler, openFailures);
  Fail(spooler.deletePrinterDriver, ERROR_PRINTER_DRIVER_IN_USE);
  AnswerBoxes({IDCANCEL});
  EXPECT_EQ(RemoveWith(spooler), 0);
  EXPECT_EQ(prompts_.texts(), Texts({93}));
  EXPECT_TRUE(FindPrinter(kPrinterName));
  *openFailures = 0;
  AnswerBoxes({IDCANCEL});
  EXPECT_EQ(RemoveWith(spooler), 0);
  EXPECT_EQ(prompts_.texts(), Texts({95}));
  // The printer went before the driver's box; the driver, its files and the port stay.
  EXPECT_EQ(Listed(), "- driver port");
  for (const std::wstring& name : kDriverCopies) EXPECT_TRUE(Exists(DriverFile(name))) << Narrow(name);
  EXPECT_TRUE(addin_.removals.empty());
}

TEST_F(VirtualPrinterTest, OkInABoxTriesAgain) {
  InstallForRemoval();
  SpoolerCalls spooler = RealSpoolerCalls();
  FailFullAccessOpens(spooler, std::make_shared<int>(2));
  Fail(spooler.deletePrinter, ERROR_ACCESS_DENIED, std::make_shared<int>(1));
  Fail(spooler.deletePrinterDriver, ERROR_PRINTER_DRIVER_IN_USE, std::make_shared<int>(1));

  AnswerBoxes({IDOK, IDOK, IDOK, IDOK});
  EXPECT_EQ(RemoveWith(spooler), 1);
  EXPECT_EQ(prompts_.texts(), Texts({93, 93, 94, 95}));
  for (const Prompt& prompt : prompts_.prompts()) {
    EXPECT_EQ(prompt.caption, PromptCaption::Printer);
    EXPECT_EQ(prompt.captionText, L"Kelto Quorbel Printer");
    EXPECT_EQ(prompt.style, static_cast<unsigned>(MB_OKCANCEL));
  }
  EXPECT_EQ(Listed(), "- - -");
  EXPECT_EQ(LeftInVersionFolder(Environment()), std::vector<std::wstring>{});
  EXPECT_EQ(addin_.removals, std::vector<std::wstring>{installFolder_});
}

TEST_F(VirtualPrinterTest, ADriverAlreadyGoneFinishesWithoutAMessage) {
  InstallForRemoval();
  auto driverCalls = std::make_shared<int>(0);
  SpoolerCalls spooler = RealSpoolerCalls();
  Fail(spooler.deletePrinterDriver, ERROR_UNKNOWN_PRINTER_DRIVER, Always(), driverCalls);

  EXPECT_EQ(RemoveWith(spooler), 1);
  EXPECT_TRUE(prompts_.texts().empty());
  EXPECT_EQ(*driverCalls, 1);
  EXPECT_FALSE(FindPrinter(kPrinterName));
  EXPECT_FALSE(PortExists());
  for (const std::wstring& name : kDriverCopies) EXPECT_FALSE(Exists(DriverFile(name))) << Narrow(name);
  EXPECT_EQ(LeftInVersionFolder(Environment()), std::vector<std::wstring>{});
  EXPECT_EQ(addin_.removals, std::vector<std::wstring>{installFolder_});
}

// An earlier installation whose printer never went in (a 64-bit system where the spooler refused it): the
// spooler lists no driver, and whatever the deletion answers, the removal goes through without a box.
TEST_F(VirtualPrinterTest, ADriverTheSpoolerDoesNotListIsGoneWhateverTheDeletionAnswers) {
  EXPECT_EQ(RemoveWith(), 1);
  EXPECT_TRUE(prompts_.texts().empty());
  EXPECT_EQ(addin_.removals, std::vector<std::wstring>{installFolder_});
  for (DWORD error : {DWORD{ERROR_ACCESS_DENIED}, DWORD{ERROR_SUCCESS}, DWORD{ERROR_INVALID_ENVIRONMENT}}) {
    AnswerBoxes({});
    auto driverCalls = std::make_shared<int>(0);
    SpoolerCalls spooler = RealSpoolerCalls();
    Fail(spooler.deletePrinterDriver, error, Always(), driverCalls);
    EXPECT_EQ(RemoveWith(spooler), 1) << error;
    EXPECT_TRUE(prompts_.texts().empty()) << error;
    EXPECT_EQ(*driverCalls, 1) << error;
  }
}

TEST_F(VirtualPrinterTest, CancelDuringTheUndoOfAnInstallKeepsWhatIsLeft) {
  if (PrefixIs64Bit()) GTEST_SKIP() << "Wine's 32-bit spooler adds no printer on a 64-bit driver";
  ASSERT_TRUE(::DeleteFileW((source_ + L"\\KTC_ProxyProcess.exe").c_str()));
  SpoolerCalls spooler = RealSpoolerCalls();
  Fail(spooler.deletePrinter, ERROR_ACCESS_DENIED);

  AnswerBoxes({IDCANCEL});
  VirtualPrinterInstaller printer(spooler);
  Prepare(printer, Params());
  EXPECT_EQ(printer.Install(), 0);
  EXPECT_EQ(prompts_.texts(), Texts({94}));
  // Cancelled: the printer and everything below it stay.
  EXPECT_EQ(Listed(kEnvironment32), "printer driver port");
}

}  // namespace

// Removal of an earlier installation, in this process: the pipe removal against the stand-in uninstaller, the
// built-in removal's preparation and steps on the prefix's real files and registry, and the pure pieces.
#include "removal/previous_version_remover.h"

#include <gtest/gtest.h>
#include <aclapi.h>
#include <sddl.h>

#include <chrono>
#include <future>

#include "component_test_helpers.h"
#include "engine/product_records.h"
#include "framework/base/registry.h"
#include "framework/base/handles.h"
#include "integration/component_registry.h"

namespace {

// Classes registered machine-wide for a test, under HKEY_LOCAL_MACHINE\Software\Classes; gone afterwards.
class MachineClasses {
 public:
  explicit MachineClasses(std::vector<std::wstring> names) : names_(std::move(names)) {
    for (const std::wstring& name : names_) WriteRegistryString(HKEY_LOCAL_MACHINE, kClasses + name, L"", L"test");
  }
  ~MachineClasses() {
    for (const std::wstring& name : names_) sys::DeleteKey(HKEY_LOCAL_MACHINE, kClasses + name);
  }
  MachineClasses(const MachineClasses&) = delete;
  MachineClasses& operator=(const MachineClasses&) = delete;

 private:
  static inline const std::wstring kClasses = L"Software\\Classes\\";
  std::vector<std::wstring> names_;
};

using namespace component_test;

// Run under the name "Uninstall.exe", this program is an uninstaller that hands over to a copy of the
// stand-in ("Uninstall-child.exe" beside it) and ends at once, as uninstallers that copy themselves away do.
const bool kHandedOver = [] {
  wchar_t path[MAX_PATH * 2] = L"";
  ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  std::wstring self = path;
  const std::wstring name = self.substr(self.find_last_of(L'\\') + 1);
  if (::lstrcmpiW(name.c_str(), L"Uninstall.exe") != 0) return false;
  std::wstring child = self.substr(0, self.size() - name.size()) + L"Uninstall-child.exe";
  std::wstring line = L"\"" + child + L"\"UninstForInst";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
  }
  ::ExitProcess(0);
  return true;
}();

void WriteRecord(const std::wstring& name, const std::wstring& value) {
  WriteRegistryString(HKEY_LOCAL_MACHINE, kProductKey, name, value);
}

// The removal's progress windows as calls: "open", "pos 30", "close", "built-in" (window 179, which runs its
// work at once on a recorded bar). The real windows are shown by the end-to-end removal tests.
class RecordingRemovalWindows final : public RemovalWindows {
 public:
  void OpenPipeWindow() override {
    calls.push_back(L"open");
    open_ = true;
  }
  bool PipeWindowOpen() const override { return open_; }
  void SetPipePosition(int position) override { calls.push_back(L"pos " + std::to_wstring(position)); }
  void ClosePipeWindow() override {
    calls.push_back(L"close");
    open_ = false;
  }
  bool RunBuiltInWindow(const std::function<void(InstallProgress& bar)>& work) override {
    calls.push_back(L"built-in");
    work(bar);
    return true;
  }

  std::vector<std::wstring> calls;
  RecordingProgress bar;

 private:
  bool open_ = false;
};

// The windows' calls of a removal whose uninstaller reports 3, 6 and 10: the first report opens the window, each
// moves its bar.
const std::vector<std::wstring> kReportedCalls = {L"open", L"pos 30", L"pos 60", L"pos 100", L"close"};

// The spooler's retry questions are answered with Cancel (a retry must not loop), everything else with OK.
int CancelPrinterRetries(int, unsigned textId) {
  return textId == kTextCantOpenPrinter || textId == kTextCantDeletePrinter || textId == kTextCantDeleteDriver
             ? IDCANCEL
             : IDOK;
}

// --- pure pieces -----------------------------------------------------------------------------------------

TEST(RemovalCommandLines, AreExact) {
  EXPECT_EQ(InstallerServiceCommandLine(L"C:\\windows\\system32"),
            L"\"C:\\windows\\system32\\msiexec.exe\" /x {6A0F2B71-3C58-4E19-9D2A-5B7E40C1F8A3} /quiet /norestart");
  EXPECT_EQ(InstallerServiceCommandLine(L""), L"") << "never \\msiexec.exe at the drive's root";
  // The keyword follows the closing quotation mark without a blank.
  EXPECT_EQ(UninstallerCommandLine(L"C:\\Program Files\\Kelto Software\\Kelto Quorbel\\"),
            L"\"C:\\Program Files\\Kelto Software\\Kelto Quorbel\\Uninstall.exe\"UninstForInst");
}

TEST(RemovalPipeSecurity, OnlySystemAndTheAdministratorsAndNoNetworkLogons) {
  // Not the user: the uninstaller has the setup's elevated rights, the user's own programs don't.
  EXPECT_EQ(RemovalPipeSecurity(), L"D:P(D;;GA;;;NU)(A;;GA;;;SY)(A;;GA;;;BA)");
}

TEST(PipeReportValue, ReadsTheNumberAtTheStartOfTheMessage) {
  auto value = [](const std::string& bytes) { return PipeReportValue(bytes.data(), bytes.size()); };
  EXPECT_EQ(value(std::string("3\0", 2)), 3);
  EXPECT_EQ(value("10"), 10);  // without its NUL
  EXPECT_EQ(value(std::string("-1\0", 3)), -1);
  EXPECT_EQ(value(std::string("6\0"
                              "99",
                              4)),
            6);  // a NUL ends the text
  EXPECT_EQ(value("7abc"), 7);
  EXPECT_EQ(value("abc"), 0);
  EXPECT_EQ(value(""), 0);
  EXPECT_EQ(value("99999999999999999999"), INT_MAX);
  EXPECT_EQ(value("-99999999999999999999"), INT_MIN);
}

TEST(RemovableInstallFolder, OnlyAFolderOfItsOwn) {
  for (const wchar_t* folder :
       {L"C:\\Program Files\\Kelto Software\\Kelto Quorbel\\", L"d:\\Quorbel", L"\\\\server\\share\\Quorbel\\"}) {
    EXPECT_TRUE(IsRemovableInstallFolder(folder)) << Narrow(folder);
  }
  for (const wchar_t* folder :
       {L"", L"\\", L"C:", L"C:\\", L"C:Quorbel\\", L"Quorbel\\", L"\\Quorbel\\", L"\\\\server\\share\\",
        L"\\\\server\\", L"C:\\Quorbel\\..\\..\\Windows\\", L"C:\\.\\", L"C:\\a\\\\b\\", L"C:\\Quorbel*\\",
        L"C:\\a\\b:stream\\", L"C:/Quorbel/", L"\\\\?\\C:\\Quorbel\\", L"\\\\.\\pipe\\Quorbel\\"}) {
    EXPECT_FALSE(IsRemovableInstallFolder(folder)) << Narrow(folder);
  }
}

TEST(EmptiedFolderCandidates, StopAtTheExistingFolderAndNeverTakeARoot) {
  using List = std::vector<std::wstring>;
  const std::wstring folder = L"C:\\Program Files\\Kelto Software\\Kelto Quorbel\\";
  EXPECT_EQ(EmptiedFolderCandidates(folder, L"C:\\Program Files\\Kelto Software\\"),
            List{L"C:\\Program Files\\Kelto Software\\Kelto Quorbel"});
  // ExistPath is kept in lower case.
  EXPECT_EQ(EmptiedFolderCandidates(folder, L"c:\\program files\\"),
            (List{L"C:\\Program Files\\Kelto Software\\Kelto Quorbel", L"C:\\Program Files\\Kelto Software"}));
  EXPECT_EQ(EmptiedFolderCandidates(folder, L"c:\\program files\\kelto software\\kelto quorbel\\"), List{});
  // An empty ExistPath stops nowhere: everything up to, not including, the drive's root.
  EXPECT_EQ(EmptiedFolderCandidates(folder, L"\\"), (List{L"C:\\Program Files\\Kelto Software\\Kelto Quorbel",
                                                          L"C:\\Program Files\\Kelto Software", L"C:\\Program Files"}));
  EXPECT_EQ(EmptiedFolderCandidates(L"\\\\server\\share\\Apps\\Quorbel\\", L"\\"),
            (List{L"\\\\server\\share\\Apps\\Quorbel", L"\\\\server\\share\\Apps"}));
}

// --- pipe removal ----------------------------------------------------------------------------------------

class PipeRemoval : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveProductRecords();
    folder_ = sandbox_.path() + L"\\Old Quorbel";
    Install();
    options_.installFolder = folder_ + L"\\";
  }
  void TearDown() override { RemoveProductRecords(); }

  // The old version as its uninstaller finds it, again after a removal.
  void Install() {
    ::CreateDirectoryW(folder_.c_str(), nullptr);
    TakeStaged(folder_, {L"Uninstall.exe", L"Kelto Quorbel.exe", L"Readme.txt"});
    WriteRecord(L"InstallPath", folder_);
    WriteRecord(L"Version", L"2.1.0.0100");
  }

  // The windows' calls of this run go to `windows_`. `ownJob` false: as where the uninstaller can't be given a
  // job of its own.
  PipeRemovalResult Remove(const wchar_t* mode, bool ownJob = true) {
    ScopedEnvironment environmentMode(L"KELTO_UNINSTALL_MODE", mode);
    ScopedEnvironment delay(L"KELTO_UNINSTALL_DELAY_MS", L"50");
    windows_ = {};
    return PreviousVersionRemover(options_, prompts_, windows_).RemoveViaPipe(ownJob);
  }
  // The removal on a thread of its own, so that a reader that never gives up fails the test instead of
  // hanging it; the time it took goes to `seconds`.
  PipeRemovalResult RemoveWithin(const wchar_t* mode, int limitSeconds, double& seconds, bool ownJob = true) {
    const auto start = std::chrono::steady_clock::now();
    return Finish(std::async(std::launch::async, [this, mode, ownJob] { return Remove(mode, ownJob); }), start,
                  limitSeconds, seconds);
  }
  PipeRemovalResult Finish(std::future<PipeRemovalResult> done, std::chrono::steady_clock::time_point start,
                           int limitSeconds, double& seconds) {
    if (done.wait_for(std::chrono::seconds(limitSeconds)) != std::future_status::ready) {
      ADD_FAILURE() << "the pipe removal did not end";
      ::TerminateProcess(::GetCurrentProcess(), 3);  // its thread can't be stopped
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return done.get();
  }
  // This process on the removal's pipe as its client, as any program on the machine could be; empty when the
  // pipe did not come within ten seconds.
  static UniqueHandle ConnectAsAnotherProgram() {
    for (int attempt = 0; attempt < 2000; ++attempt) {
      UniqueHandle client(
          ::CreateFileW(kRemovalPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      if (client) return client;
      ::Sleep(5);
    }
    return UniqueHandle();
  }

  Sandbox sandbox_{L"pipe"};
  std::wstring folder_;
  SetupOptions options_;
  RecordingPrompter prompts_;
  RecordingRemovalWindows windows_;
};

TEST_F(PipeRemoval, ReportsUpToTenCompleteAndTheUninstallerDoesItsWork) {
  EXPECT_EQ(Remove(L"report"), PipeRemovalResult::Completed);
  EXPECT_EQ(List(folder_), std::vector<std::wstring>{L"Uninstall.exe"});
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey));
  EXPECT_EQ(windows_.calls, kReportedCalls);

  // The window is torn down with the removal: a second run creates the pipe afresh and works the same.
  TakeStaged(folder_, {L"Kelto Quorbel.exe"});
  WriteRecord(L"InstallPath", folder_);
  EXPECT_EQ(Remove(L"first-10"), PipeRemovalResult::Completed);
  EXPECT_EQ(List(folder_), std::vector<std::wstring>{L"Uninstall.exe"});
  // A first report of 10 opens no window.
  EXPECT_EQ(windows_.calls, (std::vector<std::wstring>{L"pos 100", L"close"}));
  EXPECT_TRUE(prompts_.prompts().empty());
}

TEST_F(PipeRemoval, FailureReportAndDepartureWithoutReportFail) {
  double seconds = 0;
  EXPECT_EQ(RemoveWithin(L"fail", 30, seconds), PipeRemovalResult::Failed);
  EXPECT_EQ(RemoveWithin(L"silent-exit", 30, seconds), PipeRemovalResult::Failed);
  EXPECT_LT(seconds, 10.0);
  // Nothing was removed in either mode.
  EXPECT_EQ(Sorted(List(folder_)), (std::vector<std::wstring>{L"Kelto Quorbel.exe", L"Readme.txt", L"Uninstall.exe"}));
}

TEST_F(PipeRemoval, AnUninstallerThatNeverConnectsFailsOnceItHasEnded) {
  double seconds = 0;
  EXPECT_EQ(RemoveWithin(L"never-connect", 60, seconds), PipeRemovalResult::Failed);
  EXPECT_LT(seconds, 10.0);
}

TEST_F(PipeRemoval, AMissingUninstallerFailsAtOnce) {
  ASSERT_TRUE(::DeleteFileW((folder_ + L"\\Uninstall.exe").c_str()));
  double seconds = 0;
  EXPECT_EQ(RemoveWithin(L"report", 30, seconds), PipeRemovalResult::Failed);
  EXPECT_LT(seconds, 5.0);
}

// In a job of its own, and where there is none (a setup already in a job that allows no other): then the
// process that reports is found to descend from the uninstaller by the processes' parents.
TEST_F(PipeRemoval, AnUninstallerThatHandsOverToAnotherProcessIsFollowedToItsEnd) {
  for (const bool ownJob : {true, false}) {
    SCOPED_TRACE(ownJob ? "own job" : "no job of its own");
    // This test program as "Uninstall.exe" starts the stand-in and ends before the stand-in connects.
    Install();
    const std::wstring stage = StageFolder();
    const std::wstring self =
        stage.substr(0, stage.size() - std::wstring(L"payload-stage\\").size()) + L"win_tests.exe";
    ASSERT_TRUE(::CopyFileW(self.c_str(), (folder_ + L"\\Uninstall.exe").c_str(), FALSE));
    ASSERT_TRUE(
        ::CopyFileW((StageFolder() + L"Uninstall.exe").c_str(), (folder_ + L"\\Uninstall-child.exe").c_str(), FALSE));
    double seconds = 0;
    EXPECT_EQ(RemoveWithin(L"report", 60, seconds, ownJob), PipeRemovalResult::Completed);
    EXPECT_EQ(windows_.calls, kReportedCalls);
  }
}

TEST_F(PipeRemoval, APipeNameInUseEndsBeforeAnythingStarts) {
  // Taken for one instance, or for as many as anyone likes: the setup's pipe must be the first of its name.
  for (const DWORD instances : {DWORD{1}, DWORD{PIPE_UNLIMITED_INSTANCES}}) {
    UniqueHandle taken(
        ::CreateNamedPipeW(kRemovalPipeName, PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE, instances, 100, 100, 0, nullptr));
    ASSERT_TRUE(taken);
    EXPECT_EQ(Remove(L"report"), PipeRemovalResult::PipeFailed) << instances;
    ::Sleep(500);
    EXPECT_EQ(List(folder_).size(), 3u) << "the uninstaller must not have run";
  }
}

TEST_F(PipeRemoval, ThePipeIsTheFirstOfItsNameForLocalClientsOfTheAdministratorsOnly) {
  UniqueHandle pipe(CreateRemovalPipe());
  ASSERT_TRUE(pipe);
  DWORD flags = 0, out = 0, in = 0;
  ASSERT_TRUE(::GetNamedPipeInfo(pipe.get(), &flags, &out, &in, nullptr));
  EXPECT_EQ(flags, DWORD{PIPE_SERVER_END | PIPE_TYPE_MESSAGE});
  EXPECT_EQ(out, 100u);
  EXPECT_EQ(in, 100u);
  // A second instance is refused while the first exists.
  EXPECT_FALSE(UniqueHandle(CreateRemovalPipe()));

  // The descriptor the pipe got: network logons refused, SYSTEM and the administrators allowed, not this user.
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_EQ(::GetSecurityInfo(pipe.get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                              &descriptor),
            DWORD{ERROR_SUCCESS});
  ScopeExit freeDescriptor([descriptor] { ::LocalFree(descriptor); });
  ASSERT_NE(dacl, nullptr);
  std::vector<std::wstring> aces;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACE_HEADER* ace = nullptr;
    ASSERT_TRUE(::GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
    ASSERT_TRUE(ace->AceType == ACCESS_ALLOWED_ACE_TYPE || ace->AceType == ACCESS_DENIED_ACE_TYPE);
    // Both kinds keep the mask and the SID at the same place.
    auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace);
    LPWSTR sid = nullptr;
    ASSERT_TRUE(::ConvertSidToStringSidW(&allowed->SidStart, &sid));
    aces.push_back((ace->AceType == ACCESS_DENIED_ACE_TYPE ? L"deny " : L"allow ") + std::wstring(sid));
    ::LocalFree(sid);
  }
  EXPECT_EQ(aces, (std::vector<std::wstring>{L"deny S-1-5-2", L"allow S-1-5-18", L"allow S-1-5-32-544"}));

  // A descriptor that can't be built makes no pipe at all, rather than one with the default descriptor.
  freeDescriptor.dismiss();
  ::LocalFree(descriptor);
  pipe.reset();
  EXPECT_FALSE(UniqueHandle(CreateRemovalPipe(L"D:P(A;;GA;;;no such trustee)")));
  EXPECT_FALSE(UniqueHandle(
      ::CreateFileW(kRemovalPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)))
      << "a pipe was made";
  EXPECT_TRUE(UniqueHandle(CreateRemovalPipe()));
}

// This program started the uninstaller: its parent, not one it started, with or without the job.
TEST_F(PipeRemoval, AFinalReportFromAnotherProgramIsNotBelievedAndTheUninstallerIsWaitedFor) {
  ScopedEnvironment late(L"KELTO_UNINSTALL_WAIT_MS", L"1500");  // the other program comes first
  for (const bool ownJob : {true, false}) {
    SCOPED_TRACE(ownJob ? "own job" : "no job of its own");
    Install();
    const auto start = std::chrono::steady_clock::now();
    auto done = std::async(std::launch::async, [this, ownJob] { return Remove(L"report", ownJob); });
    UniqueHandle other = ConnectAsAnotherProgram();
    ASSERT_TRUE(other);
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(other.get(), "10", 3, &written, nullptr));
    double seconds = 0;
    EXPECT_EQ(Finish(std::move(done), start, 60, seconds), PipeRemovalResult::Completed);
    // The uninstaller's own reports ended the removal, after it had done its work.
    EXPECT_EQ(List(folder_), std::vector<std::wstring>{L"Uninstall.exe"});
    EXPECT_EQ(windows_.calls, kReportedCalls);
    EXPECT_FALSE(::WriteFile(other.get(), "10", 3, &written, nullptr)) << "the other program was not sent away";
  }
}

TEST_F(PipeRemoval, ASilentClientOfAnotherProgramDoesNotKeepTheRemovalWaitingOnceTheUninstallerHasEnded) {
  const auto start = std::chrono::steady_clock::now();
  auto done = std::async(std::launch::async, [this] { return Remove(L"never-connect"); });
  UniqueHandle other = ConnectAsAnotherProgram();
  ASSERT_TRUE(other);
  double seconds = 0;
  EXPECT_EQ(Finish(std::move(done), start, 30, seconds), PipeRemovalResult::Failed);
  EXPECT_LT(seconds, 8.0);
  EXPECT_EQ(List(folder_).size(), 3u);
}

// --- built-in removal: preparation -----------------------------------------------------------------------

class BuiltInPreparation : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveProductRecords();
    folder_ = sandbox_.path() + L"\\Old Quorbel";
    ::CreateDirectoryW(folder_.c_str(), nullptr);
    ASSERT_TRUE(WriteText(Main(), "main program"));
    ASSERT_TRUE(WriteText(Beta(), "beta program"));
    WriteRecord(L"InstallPath", folder_);
    WriteRecord(L"Version", L"1.9.0.0100");
    options_.installFolder = L"untouched";
  }
  void TearDown() override { RemoveProductRecords(); }

  std::wstring Main() const { return folder_ + L"\\Kelto Quorbel.exe"; }
  std::wstring Beta() const { return folder_ + L"\\Kelto Quorbel Beta.exe"; }
  static UniqueHandle Hold(const std::wstring& path) {
    return UniqueHandle(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  }
  static size_t TemporaryCopies() {
    wchar_t temp[MAX_PATH + 1] = L"";
    ::GetTempPathW(MAX_PATH + 1, temp);
    size_t count = 0;
    for (const std::wstring& name : List(std::wstring(temp))) {
      if (name.size() > 7 && ::CompareStringOrdinal(name.c_str(), 3, L"kel", 3, TRUE) == CSTR_EQUAL &&
          name.substr(name.size() - 4) == L".tmp") {
        ++count;
      }
    }
    return count;
  }
  bool Prepare(std::vector<Prompt>& prompts) {
    RecordingPrompter prompter;
    RecordingRemovalWindows windows;
    const bool goOn = PreviousVersionRemover(options_, prompter, windows).PrepareBuiltIn();
    EXPECT_TRUE(windows.calls.empty());
    prompts = prompter.prompts();
    return goOn;
  }

  Sandbox sandbox_{L"builtin"};
  std::wstring folder_;
  SetupOptions options_;
};

TEST_F(BuiltInPreparation, ProgramsNotInUseLetTheRemovalGoOnAndNothingIsDeletedYet) {
  const size_t copies = TemporaryCopies();
  std::vector<Prompt> prompts;
  EXPECT_TRUE(Prepare(prompts));
  EXPECT_TRUE(prompts.empty());
  // The probe deletes nothing: the removal's own step takes the programs.
  EXPECT_EQ(ReadText(Main()), "main program");
  EXPECT_EQ(ReadText(Beta()), "beta program");
  EXPECT_EQ(options_.installFolder, folder_ + L"\\");
  EXPECT_EQ(TemporaryCopies(), copies);
}

TEST_F(BuiltInPreparation, ARunningProgramRefusesWithTextNinetyEightAndLeavesBothProgramsInPlace) {
  const size_t copies = TemporaryCopies();
  struct Case {
    bool holdMain, holdBeta;
    size_t prompts;
  } cases[] = {{true, false, 1}, {false, true, 1}, {true, true, 2}};
  for (const Case& c : cases) {
    WriteText(Main(), "main program");
    WriteText(Beta(), "beta program");
    std::vector<Prompt> prompts;
    {
      UniqueHandle main = c.holdMain ? Hold(Main()) : UniqueHandle();
      UniqueHandle beta = c.holdBeta ? Hold(Beta()) : UniqueHandle();
      EXPECT_FALSE(Prepare(prompts));
    }
    ASSERT_EQ(prompts.size(), c.prompts);
    for (const Prompt& prompt : prompts) {
      EXPECT_EQ(prompt.textId, 98u);
      EXPECT_EQ(prompt.style, static_cast<unsigned>(MB_OK | MB_ICONWARNING));
      EXPECT_EQ(prompt.caption, PromptCaption::Wizard);
      EXPECT_EQ(prompt.captionText, L"Kelto Quorbel Install Wizard");
      EXPECT_EQ(prompt.text, L"Kelto Quorbel is being used, please exit and retry.");
    }
    // Neither program was touched, whichever was in use.
    EXPECT_EQ(ReadText(Main()), "main program");
    if (c.holdBeta) {
      EXPECT_EQ(ReadText(Beta()), "beta program");
    }
    EXPECT_EQ(TemporaryCopies(), copies);
  }
}

TEST_F(BuiltInPreparation, RefusesWithoutAFolderOfItsOwnAndTouchesNothing) {
  // "\Kelto Quorbel.exe" is looked for in the root of the current drive when InstallPath is empty.
  wchar_t current[MAX_PATH * 2] = L"";
  ::GetCurrentDirectoryW(MAX_PATH * 2, current);
  ASSERT_TRUE(::SetCurrentDirectoryW(L"C:\\"));
  ScopeExit back([&] { ::SetCurrentDirectoryW(current); });
  const std::wstring rootProgram = L"C:\\Kelto Quorbel.exe";
  const bool hadRootProgram = Exists(rootProgram);
  if (!hadRootProgram) {
    ASSERT_TRUE(WriteText(rootProgram, "not ours"));
  }
  for (const wchar_t* path : {L"", L"C:\\", L"C:", L"Old Quorbel", L"C:\\Old\\..\\..\\"}) {
    WriteRecord(L"InstallPath", path);
    std::vector<Prompt> prompts;
    EXPECT_FALSE(Prepare(prompts)) << Narrow(path);
    EXPECT_TRUE(prompts.empty());
    EXPECT_EQ(options_.installFolder, L"untouched");
  }
  EXPECT_TRUE(Exists(rootProgram));
  if (!hadRootProgram) ::DeleteFileW(rootProgram.c_str());
  EXPECT_EQ(ReadText(Main()), "main program");
}

// --- built-in removal: the steps -------------------------------------------------------------------------

const wchar_t kPdfKey[] = L"Software\\Classes\\.pdf";
const wchar_t kMimeKey[] = L"SOFTWARE\\Classes\\MIME\\Database\\Content Type\\application/pdf";
const wchar_t kFileExtsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.pdf";

// One value as it was, put back when the test ends.
class SavedValue {
 public:
  SavedValue(HKEY root, const wchar_t* key, const wchar_t* name) : root_(root), key_(key), name_(name) {
    value_ = ReadRaw(root, key, name ? name : L"");
  }
  ~SavedValue() {
    if (value_.found) {
      SetRaw(root_, key_, name_ ? name_ : L"", value_.type, value_.bytes.data(),
             static_cast<DWORD>(value_.bytes.size()));
      return;
    }
    HKEY key;
    if (::RegOpenKeyExW(root_, key_, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      ::RegDeleteValueW(key, name_);
      ::RegCloseKey(key);
    }
  }
  SavedValue(const SavedValue&) = delete;
  SavedValue& operator=(const SavedValue&) = delete;

 private:
  HKEY root_;
  const wchar_t* key_;
  const wchar_t* name_;
  RawValue value_;
};

class BuiltInSteps : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveProductRecords();
    existPath_ = sandbox_.path() + L"\\Programs";
    folder_ = existPath_ + L"\\Kelto Software\\Kelto Quorbel";
    MakeFolders(folder_);
    WriteRecord(L"InstallPath", folder_);
    WriteRecord(L"ExistPath", Lower(existPath_));
    WriteRecord(L"Version", L"1.9.0.0100");
  }
  void TearDown() override {
    RemoveProductRecords();
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      for (const std::wstring& key : ProductKeysToDelete()) DeleteKey(root, key);
    }
  }
  void LayDownProgramFiles() {
    for (const wchar_t* name : {L"Kelto Quorbel.exe", L"Kelto Quorbel Beta.exe", L"Readme.txt", L"Uninstall.exe",
                                L"config.xml", L"kpdfcjk.bin", L"ktdecod1.dll"}) {
      ASSERT_TRUE(WriteText(folder_ + L"\\" + name, "old"));
    }
    MakeFolders(folder_ + L"\\lex");
    WriteText(folder_ + L"\\lex\\correct.tlx", "words");
  }
  // The whole built-in removal: steps 1 to 8 run in window 179, whose bar is recorded; the spooler's
  // questions, if any, answered with Cancel.
  std::vector<std::wstring> Run(std::vector<Prompt>* prompts = nullptr) {
    RecordingPrompter prompter(CancelPrinterRetries);
    RecordingRemovalWindows windows;
    EXPECT_TRUE(PreviousVersionRemover(options_, prompter, windows).RemoveBuiltIn());
    EXPECT_EQ(windows.calls, std::vector<std::wstring>{L"built-in"});
    if (prompts) *prompts = prompter.prompts();
    return windows.bar.positions();
  }

  Folders links_;
  QuickLaunchScope quickLaunch_{links_};
  Sandbox sandbox_{L"steps"};
  std::wstring existPath_, folder_;
  SetupOptions options_;
  SavedValue pdf_{HKEY_LOCAL_MACHINE, kPdfKey, nullptr};
  SavedValue mime_{HKEY_LOCAL_MACHINE, kMimeKey, L"CLSID"};
  SavedValue progId_{HKEY_CURRENT_USER, kFileExtsKey, L"Progid"};
};

TEST_F(BuiltInSteps, RemoveWhatTheOldVersionLeftAndMoveTheBarAfterEachStep) {
  LayDownProgramFiles();
  quickLaunch_.Make();
  std::vector<std::wstring> oldLinks;
  for (const std::wstring& folder : {links_.commonDesktop, links_.desktop, links_.quickLaunch}) {
    for (const wchar_t* link : {L"\\Kelto Quorbel Beta.lnk", L"\\Kelto Quorbel.lnk", L"\\KelmoraQuorbel.lnk"}) {
      oldLinks.push_back(folder + link);
      ASSERT_TRUE(WriteText(oldLinks.back(), "link"));
    }
  }
  for (const std::wstring& menu : {links_.programs + L"\\Kelto Quorbel SE", links_.programs + L"\\Kelto Quorbel",
                                   links_.commonPrograms + L"\\Kelto Quorbel"}) {
    MakeFolders(menu);
    ASSERT_TRUE(WriteText(menu + L"\\Kelto Quorbel.lnk", "link"));
  }
  // A user's own file in one menu folder keeps that folder.
  ASSERT_TRUE(WriteText(links_.commonPrograms + L"\\Kelto Quorbel\\notes.txt", "mine"));
  WriteRegistryString(HKEY_CURRENT_USER, std::wstring(kUpdatesListKey) + L"Kelto CJK Support", L"Name", L"x");
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const std::wstring& key : ProductKeysToDelete()) {
      ASSERT_TRUE(WriteRegistryString(root, key + L"\\deeper\\deepest", L"value", L"x"));
      ASSERT_TRUE(WriteRegistryString(root, key, L"value", L"x"));
    }
  }
  // The product's record goes in step 8; the association it saved is read in step 7.
  WriteRecord(L"strdocument", L"OtherReader.Document");
  WriteRecord(L"strCLSID", L"{B801CA65-A1FC-11D0-85AD-444553540000}");
  WriteRecord(L"strProgid", L"OtherReader.Document.7");
  const MachineClasses registered({L"OtherReader.Document", L"CLSID\\{B801CA65-A1FC-11D0-85AD-444553540000}"});

  std::vector<Prompt> prompts;
  EXPECT_EQ(Run(&prompts), (std::vector<std::wstring>{L"10", L"20", L"40", L"60", L"80", L"85", L"90", L"100"}));
  // The old version left no printer: its removal asks nothing, and nothing else speaks up either.
  for (const Prompt& prompt : prompts) ADD_FAILURE() << Narrow(prompt.captionText) << ": " << Narrow(prompt.text);

  for (const std::wstring& link : oldLinks) EXPECT_FALSE(Exists(link)) << Narrow(link);
  EXPECT_FALSE(Exists(links_.programs + L"\\Kelto Quorbel SE"));
  EXPECT_FALSE(Exists(links_.programs + L"\\Kelto Quorbel"));
  EXPECT_EQ(List(links_.commonPrograms + L"\\Kelto Quorbel"), std::vector<std::wstring>{L"notes.txt"});
  RemoveTree(links_.commonPrograms + L"\\Kelto Quorbel");

  // Files and emptied folders up to, not including, ExistPath.
  EXPECT_FALSE(Exists(folder_));
  EXPECT_FALSE(Exists(existPath_ + L"\\Kelto Software"));
  EXPECT_TRUE(IsFolder(existPath_));

  EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kPdfKey, L"").text(), L"OtherReader.Document");
  EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kMimeKey, L"CLSID").text(), L"{B801CA65-A1FC-11D0-85AD-444553540000}");
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kFileExtsKey, L"Progid").text(), L"OtherReader.Document.7");

  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const std::wstring& key : ProductKeysToDelete()) EXPECT_FALSE(KeyExists(root, key)) << Narrow(key);
  }
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::wstring(kUpdatesListKey) + L"Kelto CJK Support"));
}

TEST_F(BuiltInSteps, UserFilesKeepTheFolderAndOnlyOurFilesGo) {
  LayDownProgramFiles();
  ASSERT_TRUE(WriteText(folder_ + L"\\My Letter.pdf", "mine"));
  Run();
  EXPECT_EQ(List(folder_), std::vector<std::wstring>{L"My Letter.pdf"});
}

// The old folder may have been open to every user: links planted below it are never followed, and what they
// lead to keeps every file.
TEST_F(BuiltInSteps, LinksBelowTheFolderAreLeftAloneWithEverythingBehindThem) {
  LayDownProgramFiles();
  const std::wstring outside = sandbox_.path() + L"\\outside";
  MakeFolders(outside);
  ASSERT_TRUE(WriteText(outside + L"\\keep.dat", "keep"));
  ASSERT_TRUE(WriteText(outside + L"\\Readme.txt", "theirs"));
  MakeFolders(folder_ + L"\\plugins\\OCR");
  ASSERT_TRUE(::DeleteFileW((folder_ + L"\\Readme.txt").c_str()));
  ASSERT_TRUE(MakeLink(L"../../../../../outside", outside, folder_ + L"\\plugins\\OCR\\KT_Abbyy_OCR", true));
  ASSERT_TRUE(MakeLink(L"../../../outside/Readme.txt", outside + L"\\Readme.txt", folder_ + L"\\Readme.txt", false));
  Run();
  EXPECT_EQ(Tree(outside), (std::vector<std::wstring>{L"Readme.txt", L"keep.dat"}));
  EXPECT_EQ(ReadText(outside + L"\\keep.dat"), "keep");
  EXPECT_EQ(ReadText(outside + L"\\Readme.txt"), "theirs");
  // The old version's own files went all the same.
  EXPECT_FALSE(Exists(folder_ + L"\\Kelto Quorbel.exe"));
  EXPECT_FALSE(Exists(folder_ + L"\\lex"));
  if (RunningUnderWine()) RemoveOnUnixSide(existPath_);
}

// The machine's record is the administrators' and is restored as it is. The user's hive is the user's programs'
// to write: its document class must be registered machine-wide and open documents with a program (never an
// executable or script class, though those are registered everywhere), its CLSID be registered machine-wide,
// and its choice name no program class either. What can't be restored is cleared.
TEST_F(BuiltInSteps, SavedHandlersAreRestoredFromTheMachinesRecordAndFromTheUsersOnlyWhenTheyNameDocuments) {
  ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\exefile")) << "registered on every system";
  const wchar_t kNone[] = L"<none>";
  const wchar_t kClsid[] = L"{11111111-2222-3333-4444-555555555555}";
  const wchar_t kOtherClsid[] = L"{22222222-3333-4444-5555-666666666666}";
  struct Values {
    const wchar_t* document;  // .pdf's class
    const wchar_t* clsid;     // the MIME type's CLSID
    const wchar_t* choice;    // the user's choice
  };
  const struct Row {
    const char* what;
    bool machine;  // saved in the machine's record, else only in the user's
    Values saved;
    std::vector<std::wstring> registered;  // machine-wide classes the row adds
    Values left;                           // what the removal leaves in their places
  } rows[] = {
      {"user: an unregistered class, a registered CLSID",
       false,
       {L"Planted.Document", kClsid, L""},
       {std::wstring(L"CLSID\\") + kClsid},
       {kNone, kClsid, kNone}},
      {"user: nothing registered", false, {L"Planted.Document", kClsid, L""}, {}, {kNone, L"", kNone}},
      {"user: the program classes every system has", false, {L"exefile", L"", L"htafile"}, {}, {kNone, L"", kNone}},
      {"user: what this system names for a script extension",
       false,
       {L"wsh.runner", L"", L"JSFILE"},
       {L"Wsh.Runner", L".wsh"},
       {kNone, L"", kNone}},
      {"user: a registered document class",
       false,
       {L"OtherReader.Document", L"", L"OtherReader.Document.7"},
       {L"OtherReader.Document"},
       {L"OtherReader.Document", L"", L"OtherReader.Document.7"}},
      {"machine: restored as it is, registered or not",
       true,
       {L"Unregistered.Document", kOtherClsid, L"Machine.Choice"},
       {},
       {L"Unregistered.Document", kOtherClsid, L"Machine.Choice"}},
  };
  bool first = true;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (!first) SetUp();  // the removal before took the old version's record with it
    first = false;
    SetRaw(HKEY_LOCAL_MACHINE, kPdfKey, L"", REG_SZ, L"KeltoQuorbel.Document", sizeof(L"KeltoQuorbel.Document"));
    SetRaw(HKEY_CURRENT_USER, kFileExtsKey, L"Progid", REG_SZ, L"KeltoQuorbel.Document",
           sizeof(L"KeltoQuorbel.Document"));
    const std::pair<const wchar_t*, const wchar_t*> saved[] = {
        {L"strdocument", row.saved.document}, {L"strCLSID", row.saved.clsid}, {L"strProgid", row.saved.choice}};
    for (const auto& [name, text] : saved) {
      if (*text) WriteRegistryString(row.machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, kProductKey, name, text);
    }
    const MachineClasses classes(row.registered);
    if (std::find(row.registered.begin(), row.registered.end(), L".wsh") != row.registered.end()) {
      WriteRegistryString(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.wsh", L"", L"Wsh.Runner");
    }
    Run();
    const auto text = [](HKEY root, const wchar_t* key, const wchar_t* name) {
      const RawValue value = ReadRaw(root, key, name);
      return value.found ? value.text() : std::wstring(L"<none>");
    };
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kPdfKey, L""), row.left.document);
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kMimeKey, L"CLSID"), row.left.clsid);
    EXPECT_EQ(text(HKEY_CURRENT_USER, kFileExtsKey, L"Progid"), row.left.choice);
  }
}

}  // namespace

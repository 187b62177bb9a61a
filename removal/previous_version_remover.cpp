#include "removal/previous_version_remover.h"

#include <sddl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <climits>
#include <cwctype>
#include <utility>

#include "core/association_class.h"
#include "core/text_ids.h"
#include "engine/product_records.h"
#include "engine/shortcuts.h"
#include "framework/base/delete_tree.h"
#include "framework/base/handles.h"
#include "framework/base/path_text.h"
#include "framework/base/registry.h"
#include "integration/component_registry.h"
#include "integration/virtual_printer.h"

namespace {

constexpr DWORD kPipeBufferSize = 100;
constexpr DWORD kPollMs = 20;
// How long the reader waits for a report once no process of the uninstaller runs any more.
constexpr DWORD kQuietAfterEndMs = 2000;
constexpr int kReportFailed = -1;
constexpr int kReportFinished = 10;

const wchar_t* const kOldLinks[] = {L"\\Kelto Quorbel Beta.lnk", L"\\Kelto Quorbel.lnk", L"\\KelmoraQuorbel.lnk"};
const wchar_t* const kProgramFiles[] = {kBetaProgram, kMainProgram, L"Readme.txt", kUninstaller, L"config.xml"};

std::wstring SystemFolder() {
  wchar_t system[MAX_PATH] = L"";
  const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(system, length);
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

bool SameText(const std::wstring& a, const std::wstring& b) { return Lower(a) == Lower(b); }

// Characters of "X:\" or "\\server\share" before the first folder name; 0 when the path has neither form.
size_t RootLength(const std::wstring& path) {
  if (path.size() >= 3 && std::iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\') return 3;
  if (path.size() < 2 || path[0] != L'\\' || path[1] != L'\\') return 0;
  const size_t server = path.find(L'\\', 2);
  if (server == std::wstring::npos || server == 2) return 0;
  const size_t share = path.find(L'\\', server + 1);
  if (share == std::wstring::npos || share == server + 1) return 0;
  return share + 1;
}

// --- processes -------------------------------------------------------------------------------------------

// Entries of kernel32 that older systems lack, looked up when first needed.
template <typename F>
F Kernel32Entry(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name)));
}

// When `process` was started, in 100 ns units; 0 when it can't be told.
ULONGLONG CreationTime(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!process || !::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (ULONGLONG{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

UniqueHandle OpenForQuery(DWORD id) {
  UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id));
  if (!process) process.reset(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  return process;
}

// The running processes that the process `root` started, directly or further down, by the parent ids of one
// snapshot. `root` is held open, so its id can't have been given to another process. An ended process's id can
// be, so a process counts only when it started after the parent it names: one that started before can't be a
// child of that parent. A process whose parent has ended is not reached through it.
std::vector<DWORD> StartedBy(HANDLE root, DWORD rootId) {
  std::vector<DWORD> found;
  const ULONGLONG rootCreated = CreationTime(root);
  if (rootCreated == 0) return found;
  std::vector<PROCESSENTRY32W> processes;
  {
    const UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
      processes.push_back(entry);
    }
  }
  std::vector<std::pair<DWORD, ULONGLONG>> parents = {{rootId, rootCreated}};
  for (size_t next = 0; next < parents.size(); ++next) {
    const auto [parent, parentCreated] = parents[next];
    for (const PROCESSENTRY32W& entry : processes) {
      const DWORD id = entry.th32ProcessID;
      if (entry.th32ParentProcessID != parent || id == parent || id == rootId) continue;
      if (std::find(found.begin(), found.end(), id) != found.end()) continue;
      const ULONGLONG created = CreationTime(OpenForQuery(id).get());
      if (created == 0 || created < parentCreated) continue;
      found.push_back(id);
      parents.emplace_back(id, created);
    }
  }
  return found;
}

// The old uninstaller and whatever it starts: some copy themselves elsewhere and run the copy, so the first
// process ending is not the end of the removal. They go in a job of their own; where the system refuses it (the
// setup already runs in a job that allows no other), what they start is found by the processes' parents.
class Uninstaller {
 public:
  bool Start(std::wstring commandLine, bool ownJob) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;  // and none given
    PROCESS_INFORMATION info{};
    // It removes the folder it lives in, so it is not started there; the system folder is one it never deletes.
    const std::wstring folder = SystemFolder();
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
      return false;
    }
    process_.reset(info.hProcess);
    processId_ = info.dwProcessId;
    UniqueHandle thread(info.hThread);
    if (ownJob) job_.reset(::CreateJobObjectW(nullptr, nullptr));
    if (job_ && !::AssignProcessToJobObject(job_.get(), process_.get())) job_.reset();
    ::ResumeThread(thread.get());
    return true;
  }

  // No process of the uninstaller runs any more, so no report can come.
  bool Gone() const {
    if (job_) {
      JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
      if (::QueryInformationJobObject(job_.get(), JobObjectBasicAccountingInformation, &info, sizeof(info), nullptr)) {
        return info.ActiveProcesses == 0;
      }
    }
    return ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0 && StartedBy(process_.get(), processId_).empty();
  }

  // The process `id` is the uninstaller or one it started. The first process is held open, so its id can't
  // have been reused; any other must still be in the job, or where there is none, descend from the first.
  bool Owns(DWORD id) const {
    if (id == processId_) return true;
    if (!job_) {
      const std::vector<DWORD> started = StartedBy(process_.get(), processId_);
      return std::find(started.begin(), started.end(), id) != started.end();
    }
    using IsProcessInJobFunction = BOOL(WINAPI*)(HANDLE, HANDLE, PBOOL);
    static const auto isInJob = Kernel32Entry<IsProcessInJobFunction>("IsProcessInJob");
    if (!isInJob) return false;
    const UniqueHandle process = OpenForQuery(id);
    BOOL inJob = FALSE;
    return process && isInJob(process.get(), job_.get(), &inJob) && inJob;
  }

 private:
  UniqueHandle process_;
  DWORD processId_ = 0;
  UniqueHandle job_;
};

// Whether the client now on the pipe is the uninstaller. Systems without GetNamedPipeClientProcessId can't
// tell, and take every client as before.
bool ClientIsUninstaller(HANDLE pipe, const Uninstaller& uninstaller) {
  using ClientProcessIdFunction = BOOL(WINAPI*)(HANDLE, PULONG);
  static const auto clientProcessId = Kernel32Entry<ClientProcessIdFunction>("GetNamedPipeClientProcessId");
  if (!clientProcessId) return true;
  ULONG id = 0;
  return clientProcessId(pipe, &id) && uninstaller.Owns(id);
}

// Sends a client away, unread, and lets the next one connect to the same instance. A pipe in blocking mode
// would wait here for that client, so the listen is started without blocking.
void DisconnectAndListen(HANDLE pipe) {
  ::DisconnectNamedPipe(pipe);
  DWORD mode = PIPE_READMODE_MESSAGE | PIPE_NOWAIT;
  ::SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
  ::ConnectNamedPipe(pipe, nullptr);  // ERROR_PIPE_LISTENING
  mode = PIPE_READMODE_MESSAGE | PIPE_WAIT;
  ::SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
}

// The window's messages while the reader holds the thread, so that it repaints and answers.
void PumpMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

enum class PipeState { NotConnected, Connected, Broken };

// Whether a client is on the pipe and how many bytes wait; never blocks, so the reader can watch the
// uninstaller between polls.
PipeState StateOf(HANDLE pipe, DWORD& available) {
  available = 0;
  if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
    return ::GetLastError() == ERROR_BROKEN_PIPE ? PipeState::Broken : PipeState::NotConnected;
  }
  return PipeState::Connected;
}

// One waiting report; false when it could not be read.
bool ReadReport(HANDLE pipe, int& value) {
  char buffer[kPipeBufferSize];
  DWORD got = 0;
  if (!::ReadFile(pipe, buffer, kPipeBufferSize, &got, nullptr)) {
    if (::GetLastError() != ERROR_MORE_DATA) return false;
    // An over-long report counts by its start; its rest must not pass for another report.
    char rest[kPipeBufferSize];
    DWORD more = 0;
    while (!::ReadFile(pipe, rest, kPipeBufferSize, &more, nullptr) && ::GetLastError() == ERROR_MORE_DATA) {
    }
  }
  value = PipeReportValue(buffer, got);
  return true;
}

// --- shell links -----------------------------------------------------------------------------------------

// An unresolved special folder is skipped: its links would otherwise be looked for in the current root.
void DeleteOldLinks(const std::wstring& folder) {
  if (folder.empty()) return;
  for (const wchar_t* link : kOldLinks) ::DeleteFileW((folder + link).c_str());
}

void DeleteMenuFolder(const std::wstring& programs, const wchar_t* name) {
  if (programs.empty()) return;
  const std::wstring folder = programs + name;
  deleteMatching(folder + L"\\*.lnk");
  ::RemoveDirectoryW(folder.c_str());
}

// --- registry --------------------------------------------------------------------------------------------

void DeleteValue(HKEY root, const wchar_t* subKey, const wchar_t* name) {
  UniqueKey key;
  if (::RegOpenKeyExW(root, subKey, 0, KEY_SET_VALUE, key.receive()) == ERROR_SUCCESS) {
    ::RegDeleteValueW(key.get(), name);
  }
}

bool KeyExists(HKEY root, const wchar_t* subKey) {
  UniqueKey key;
  return ::RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE, key.receive()) == ERROR_SUCCESS;
}

// A saved value and whose record it came from.
struct SavedText {
  std::wstring text;
  bool fromMachine = false;
};

// The saved value from the machine's record, else from the user's. The reader creates what it opens, and a
// user who never had the record must not get an empty one.
SavedText SavedAssociation(const wchar_t* name) {
  SavedText value{ReadRegistryString(HKEY_LOCAL_MACHINE, kProductKey, name, L""), true};
  if (value.text.empty() && KeyExists(HKEY_CURRENT_USER, kProductKey)) {
    value = {ReadRegistryString(HKEY_CURRENT_USER, kProductKey, name, L""), false};
  }
  return value;
}

bool MachineClassExists(const std::wstring& path) {
  return KeyExists(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + path).c_str());
}

// The classes this machine names for the extensions whose files run as programs; read without creating a key.
std::vector<std::wstring> MachineProgramClasses() {
  std::vector<std::wstring> classes;
  for (const std::wstring& extension : ProgramExtensions()) {
    UniqueKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\." + extension).c_str(), 0, KEY_QUERY_VALUE,
                        key.receive()) != ERROR_SUCCESS) {
      continue;
    }
    wchar_t text[256] = L"";
    DWORD size = sizeof(text) - sizeof(wchar_t);
    DWORD type = REG_NONE;
    if (::RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
      classes.emplace_back(text);
    }
  }
  return classes;
}

enum class Saved { DocumentClass, Clsid, UserChoice };

// What a saved value restores. The machine's record is the administrators' and is restored as it always was.
// The user's hive is the user's programs' to write: its document class must be registered machine-wide and open
// documents with a program, its CLSID be registered machine-wide, and the user's choice name no program or script
// class either.
std::wstring Restorable(const SavedText& value, Saved kind) {
  if (value.fromMachine || value.text.empty()) return value.text;
  bool usable = false;
  switch (kind) {
    case Saved::DocumentClass:
      usable = MachineClassExists(value.text) && IsDocumentClass(value.text, MachineProgramClasses());
      break;
    case Saved::Clsid: usable = MachineClassExists(L"CLSID\\" + value.text); break;
    case Saved::UserChoice: usable = IsDocumentClass(value.text, MachineProgramClasses()); break;
  }
  return usable ? value.text : std::wstring();
}

// Where the steps report when their window can't be shown.
class NoProgress : public InstallProgress {
 public:
  void SetPosition(int) override {}
  void SetStatus(const std::wstring&) override {}
  void Finish(int) override {}
};

}  // namespace

// Without /norestart the service may restart the machine itself when the old package asks for it, taking the
// running setup down with it.
std::wstring InstallerServiceCommandLine(const std::wstring& systemFolder) {
  // Without the system folder the path would be relative to the current drive's root.
  if (systemFolder.empty()) return std::wstring();
  return L"\"" + systemFolder + L"\\msiexec.exe\" /x " + kProductCode + L" /quiet /norestart";
}

std::wstring UninstallerCommandLine(const std::wstring& installFolder) {
  return L"\"" + installFolder + kUninstaller + L"\"UninstForInst";
}

int PipeReportValue(const char* bytes, size_t size) {
  size_t i = 0;
  while (i < size && bytes[i] != 0 && (bytes[i] == ' ' || (bytes[i] >= '\t' && bytes[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < size && (bytes[i] == '-' || bytes[i] == '+')) negative = bytes[i++] == '-';
  long long value = 0;
  for (; i < size && bytes[i] >= '0' && bytes[i] <= '9'; ++i) {
    if (value <= INT_MAX) value = value * 10 + (bytes[i] - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

bool IsRemovableInstallFolder(const std::wstring& folder) {
  const size_t root = RootLength(folder);
  if (root == 0) return false;
  const std::wstring server = folder.substr(2, folder.find(L'\\', 2) - 2);
  if (root > 3 && (server == L"?" || server == L".")) return false;  // device paths, not folders
  const std::wstring rest = WithoutTrailingBackslash(folder.substr(root));
  if (rest.empty()) return false;
  if (rest.find_first_of(L"/:*?\"<>|") != std::wstring::npos) return false;
  size_t start = 0;
  for (;;) {
    const size_t end = rest.find(L'\\', start);
    const std::wstring part = rest.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    if (part.empty() || part == L"." || part == L"..") return false;
    if (end == std::wstring::npos) return true;
    start = end + 1;
  }
}

std::vector<std::wstring> EmptiedFolderCandidates(const std::wstring& installFolder, const std::wstring& existPath) {
  std::vector<std::wstring> folders;
  if (SameText(installFolder, existPath)) return folders;
  // The root stays whatever existPath says: "c:" alone would name the current folder of drive C.
  const size_t root = RootLength(installFolder);
  for (size_t i = installFolder.size(); i-- > 1;) {
    if (installFolder[i] != L'\\') continue;
    const std::wstring candidate = installFolder.substr(0, i);
    if (SameText(candidate + L"\\", existPath) || candidate.size() < root) break;
    folders.push_back(candidate);
  }
  return folders;
}

const std::vector<std::wstring>& ProductKeysToDelete() {
  static const std::vector<std::wstring> keys = {
      L"SOFTWARE\\Classes\\CLSID\\{2D71B5E4-9A03-4C8F-B61E-7F24C9A0D5B8}",
      L"SOFTWARE\\Classes\\CLSID\\{4E8C1A90-7B2D-4F63-A5C1-0D9E38B7F215}",
      L"SOFTWARE\\Classes\\KeltoQuorbel.Document",
      L"SOFTWARE\\Classes\\KeltoQuorbel.FDFDoc",
      L"SOFTWARE\\Classes\\Applications\\KELTOQ~1.EXE",
      L"SOFTWARE\\Kelto Software\\Kelto Quorbel",
      L"SOFTWARE\\Kelto Software\\KelmoraQuorbel",
      L"SOFTWARE\\Kelto Software\\Kelto Quorbel Beta",
      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs\\Kelto Quorbel",
      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\Kelto Quorbel",
      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kelto Quorbel",
      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KelmoraQuorbel",
      L"SOFTWARE\\Kelto Software\\Kelto Quorbel",
      L"SOFTWARE\\Kelto Software\\KelmoraQuorbel",
  };
  return keys;
}

void RemoveAddOnComponents(const std::wstring& installFolder, InstallProgress& bar) {
  ComponentRegistry components;
  components.SetProgress(&bar, 40, 60);
  components.SetInstallFolder(installFolder);
  for (const AddOnComponent& component : kAddOnComponents) component.remove(components, true);
}

std::wstring RemovalPipeSecurity() {
  // Protected, so nothing is inherited; logons over the network are refused even where the pipe can't reject
  // remote clients itself. The uninstaller runs with the setup's elevated rights; the user's own programs, which
  // don't, must not reach the pipe.
  return L"D:P(D;;GA;;;NU)(A;;GA;;;SY)(A;;GA;;;BA)";
}

HANDLE CreateRemovalPipe(const std::wstring& sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  // Without its descriptor the pipe would get the default one, open to the user's own programs: none at all.
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr) ||
      !descriptor) {
    return INVALID_HANDLE_VALUE;
  }
  const ScopeExit freeDescriptor([descriptor] { ::LocalFree(descriptor); });
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
  const DWORD pipeMode = PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT;
  auto create = [&](DWORD extraMode) {
    return ::CreateNamedPipeW(kRemovalPipeName, PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
                              pipeMode | extraMode, PIPE_UNLIMITED_INSTANCES, kPipeBufferSize, kPipeBufferSize, 0,
                              &attributes);
  };
  UniqueHandle pipe(create(PIPE_REJECT_REMOTE_CLIENTS));
  // Systems before Vista don't know the flag; the descriptor keeps network logons out there.
  if (!pipe && ::GetLastError() == ERROR_INVALID_PARAMETER) pipe.reset(create(0));
  if (!pipe) return INVALID_HANDLE_VALUE;
  // Where the first-instance flag is ignored, an instance someone else made first still shows in the count.
  DWORD instances = 0;
  if (::GetNamedPipeHandleStateW(pipe.get(), nullptr, &instances, nullptr, nullptr, nullptr, 0) && instances != 1) {
    return INVALID_HANDLE_VALUE;
  }
  return pipe.release();
}

PreviousVersionRemover::PreviousVersionRemover(SetupOptions& options, Prompter& prompt, RemovalWindows& windows)
    : options_(options), prompt_(prompt), windows_(windows) {}

// --- installer service -----------------------------------------------------------------------------------

void PreviousVersionRemover::RemoveInstallerPackage() {
  const std::wstring system = SystemFolder();
  std::wstring commandLine = InstallerServiceCommandLine(system);
  if (commandLine.empty()) return;
  STARTUPINFOW startup{};
  ::GetStartupInfoW(&startup);
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, system.c_str(),
                        &startup, &info)) {
    return;
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  ::WaitForSingleObject(process.get(), INFINITE);
}

// --- pipe ------------------------------------------------------------------------------------------------

PipeRemovalResult PreviousVersionRemover::RemoveViaPipe(bool ownJob) {
  UniqueHandle pipe(CreateRemovalPipe());
  if (!pipe) return PipeRemovalResult::PipeFailed;
  Uninstaller uninstaller;
  if (!uninstaller.Start(UninstallerCommandLine(options_.installFolder), ownJob)) return PipeRemovalResult::Failed;

  const ScopeExit closeWindow([this] { windows_.ClosePipeWindow(); });
  bool clientChecked = false;
  DWORD lastReport = ::GetTickCount();
  for (;;) {
    PumpMessages();
    // Sampled before the pipe is looked at: a report written before the last process ended is still read.
    const bool gone = uninstaller.Gone();
    DWORD available = 0;
    const PipeState state = StateOf(pipe.get(), available);
    if (state != PipeState::NotConnected && !clientChecked) {
      // Anyone on the machine may open the pipe by its name: only the uninstaller's reports count.
      clientChecked = ClientIsUninstaller(pipe.get(), uninstaller);
      if (!clientChecked) DisconnectAndListen(pipe.get());
    }
    if (clientChecked && state == PipeState::Broken) return PipeRemovalResult::Failed;
    int value = 0;
    if (clientChecked && available > 0 && ReadReport(pipe.get(), value)) {
      lastReport = ::GetTickCount();
      if (value == kReportFailed) return PipeRemovalResult::Failed;
      if (value == kReportFinished) {
        windows_.SetPipePosition(100);
        return PipeRemovalResult::Completed;
      }
      if (!windows_.PipeWindowOpen()) windows_.OpenPipeWindow();
      windows_.SetPipePosition(value < 0 ? 0 : value > 10 ? 100 : value * 10);
      continue;  // another report may already wait
    }
    // Whoever holds the pipe, no report can come once the uninstaller has ended.
    if (gone && ::GetTickCount() - lastReport >= kQuietAfterEndMs) return PipeRemovalResult::Failed;
    ::Sleep(kPollMs);
  }
}

// --- built-in removal ------------------------------------------------------------------------------------

bool PreviousVersionRemover::RemoveBuiltIn() {
  if (!PrepareBuiltIn()) return false;
  // The old version goes whether or not its window can be shown: the loop takes it as gone.
  if (!windows_.RunBuiltInWindow([this](InstallProgress& bar) { RunBuiltInSteps(bar); })) {
    NoProgress none;
    RunBuiltInSteps(none);
  }
  return true;
}

bool PreviousVersionRemover::InUse(const std::wstring& path) {
  if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  // A running or open program can't be opened for writing and deletion without sharing. Nothing is deleted
  // here, so a refused removal leaves the old version exactly as it was.
  const UniqueHandle probe(
      ::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (probe) return false;
  prompt_.Ask(kTextProgramInUse, MB_OK | MB_ICONWARNING);
  return true;
}

bool PreviousVersionRemover::PrepareBuiltIn() {
  previous_.folder = WithTrailingBackslash(ReadRegistryString(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath", L""));
  previous_.existPath = WithTrailingBackslash(ReadRegistryString(HKEY_LOCAL_MACHINE, kProductKey, L"ExistPath", L""));
  // Without a folder of its own the removal would reach into a drive's root or wherever the text points.
  if (!IsRemovableInstallFolder(previous_.folder)) return false;
  options_.installFolder = previous_.folder;
  installed_ = ConfinedFolder(previous_.folder);

  const std::wstring mainProgram = previous_.folder + kMainProgram;
  installed_.ClearAttributes(kMainProgram);
  // Both are asked about, so the user learns of both at once.
  const bool mainInUse = InUse(mainProgram);
  const bool betaInUse = InUse(previous_.folder + kBetaProgram);
  return !mainInUse && !betaInUse;
}

void PreviousVersionRemover::RunBuiltInSteps(InstallProgress& bar) {
  RemoveDesktopLinks();
  bar.SetPosition(10);
  RemoveQuickLaunchLinks();
  bar.SetPosition(20);
  RemoveMenuFolders();
  bar.SetPosition(40);
  RemoveAddOnComponents(previous_.folder, bar);
  bar.SetPosition(60);
  RemovePrinter(bar);
  bar.SetPosition(80);
  RemoveProgramFiles();
  bar.SetPosition(85);
  RestorePdfAssociation();
  bar.SetPosition(90);
  DeleteProductKeys();
  ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  bar.SetPosition(100);
}

void PreviousVersionRemover::RemoveDesktopLinks() {
  DeleteOldLinks(SpecialFolderPath(CSIDL_COMMON_DESKTOPDIRECTORY));
  DeleteOldLinks(SpecialFolderPath(CSIDL_DESKTOPDIRECTORY));
}

void PreviousVersionRemover::RemoveQuickLaunchLinks() {
  const std::wstring appData = SpecialFolderPath(CSIDL_APPDATA);
  if (!appData.empty()) DeleteOldLinks(appData + L"\\Microsoft\\Internet Explorer\\Quick Launch");
}

void PreviousVersionRemover::RemoveMenuFolders() {
  const std::wstring programs = SpecialFolderPath(CSIDL_PROGRAMS);
  DeleteMenuFolder(programs, L"\\Kelto Quorbel SE");
  DeleteMenuFolder(programs, L"\\Kelto Quorbel");
  DeleteMenuFolder(SpecialFolderPath(CSIDL_COMMON_PROGRAMS), L"\\Kelto Quorbel");
}

void PreviousVersionRemover::RemovePrinter(InstallProgress& bar) {
  VirtualPrinterInstaller printer;
  printer.SetPrompter(&prompt_);
  printer.InitForRemoval(previous_.folder, &bar, 60, 75);
  printer.Remove();
}

void PreviousVersionRemover::RemoveProgramFiles() {
  for (const wchar_t* name : kProgramFiles) installed_.RemoveFile(name);
  for (const std::wstring& folder : EmptiedFolderCandidates(previous_.folder, previous_.existPath)) {
    ::RemoveDirectoryW(folder.c_str());  // only an empty folder goes
  }
}

void PreviousVersionRemover::RestorePdfAssociation() {
  const std::wstring document = Restorable(SavedAssociation(L"strdocument"), Saved::DocumentClass);
  const std::wstring clsid = Restorable(SavedAssociation(L"strCLSID"), Saved::Clsid);
  const std::wstring progId = Restorable(SavedAssociation(L"strProgid"), Saved::UserChoice);
  if (!document.empty()) {
    WriteRegistryString(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.pdf", L"", document);
  } else {
    DeleteValue(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.pdf", nullptr);
  }
  WriteRegistryString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\MIME\\Database\\Content Type\\application/pdf", L"CLSID",
                      clsid);
  const wchar_t fileExts[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.pdf";
  if (!progId.empty()) {
    WriteRegistryString(HKEY_CURRENT_USER, fileExts, L"Progid", progId);
  } else {
    DeleteValue(HKEY_CURRENT_USER, fileExts, L"Progid");
  }
}

void PreviousVersionRemover::DeleteProductKeys() {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const std::wstring& key : ProductKeysToDelete()) deleteKeyTree(root, key);
  }
}

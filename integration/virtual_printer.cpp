#include "integration/virtual_printer.h"

#include <cwchar>
#include <utility>
#include <vector>

#include "core/text_ids.h"
#include "engine/product_files.h"
#include "framework/base/handles.h"
#include "framework/base/path_text.h"
#include "integration/word_addin.h"

namespace {

constexpr wchar_t kPortMonitor[] = L", XcvMonitor Local Port";
constexpr DWORD kPortNameBytes = sizeof(kPrinterPortName);  // with its terminating zero
static_assert(kPortNameBytes == 30, "the port monitor is handed 14 characters and a zero");

struct DriverFile {
  const wchar_t* installed;
  const wchar_t* source32;
  const wchar_t* source64;
};

// A 64-bit system gets the other build of each file under the 32-bit one's name.
DriverFile DriverFileOf(FileStep step) {
  const ProductFile& native = ProductFileOf(step, FileCase::System32);
  return {native.installedAs ? native.installedAs : native.name, native.name,
          ProductFileOf(step, FileCase::System64).name};
}

const DriverFile kDriverPath = DriverFileOf(FileStep::PrinterDriver);
const DriverFile kConfigFile = DriverFileOf(FileStep::PrinterConfig);
const DriverFile kDataFile = DriverFileOf(FileStep::PrinterData);
const DriverFile kProxyProcess = DriverFileOf(FileStep::PrinterProxy);

// Old files in the version-3 folder and the names they are moved to before they are deleted.
const std::pair<const wchar_t*, const wchar_t*> kMovedAside[] = {
    {kDataFile.installed, L"ktTmp1.tmp"},
    {kConfigFile.installed, L"ktTmp2.tmp"},
    {kDriverPath.installed, L"ktTmp3.tmp"},
    {kProxyProcess.installed, L"ktTmp4.tmp"},
};

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The install step's folders may also end in a forward slash, which the system takes for a separator too.
std::wstring WithoutTrailingSeparator(const std::wstring& path) {
  return !path.empty() && path.back() == L'/' ? path.substr(0, path.size() - 1) : WithoutTrailingBackslash(path);
}

// The port name as the local port monitor takes it: a zeroed buffer of 512 characters.
struct PortNameBuffer {
  PortNameBuffer() { std::wcscpy(text, kPrinterPortName); }
  PBYTE bytes() { return reinterpret_cast<PBYTE>(text); }
  wchar_t text[512] = {};
};

}  // namespace

WordAddinSteps DefaultWordAddinSteps() { return {InstallWordAddin, RemoveWordAddin}; }

VirtualPrinterInstaller::VirtualPrinterInstaller(SpoolerCalls spooler) : spooler_(std::move(spooler)) {}

int VirtualPrinterInstaller::InitForInstall(const PrinterInstallParams& params) {
  sourceFolder_ = WithoutTrailingSeparator(params.extractionFolder);
  installFolder_ = WithoutTrailingSeparator(params.installFolder);
  isWow64_ = params.isWow64;
  isAdmin_ = params.isAdmin;
  prompt_ = params.prompt;
  environment_ = isWow64_ == 1 ? kEnvironment64 : kEnvironment32;
  driverDirectory_.clear();
  stage_ = kPrinterNothing;
  progress_ = {};
  return 1;
}

void VirtualPrinterInstaller::SetProgress(InstallProgress* progressBar, int start, int end) {
  progress_ = {progressBar, start, end};
}

void VirtualPrinterInstaller::SetWordAddinSteps(WordAddinSteps steps) { addin_ = std::move(steps); }

int VirtualPrinterInstaller::Install() {
  if (!isAdmin_) return 0;
  // Without the directory every path below would point at the root of the current drive.
  if (!QueryDriverDirectory()) return 0;
  MoveAsideOldFiles();

  progress_.Step(1, 8);
  if (!AddPort()) return 0;
  progress_.Step(2, 8);
  if (!AddDriver()) return 0;
  progress_.Step(3, 8);
  if (!AddPrinter()) return 0;
  progress_.Step(4, 8);
  if (!CopyProxyProcess()) {
    Undo();
    return 0;
  }
  progress_.Step(5, 8);
  InstallSupportFiles();
  progress_.Step(6, 8);
  progress_.Step(7, 8);
  if (!addin_.install || !addin_.install(sourceFolder_, installFolder_, prompt_)) return 0;
  progress_.Step(8, 8);
  return 1;
}

int VirtualPrinterInstaller::InitForRemoval(const std::wstring& installFolder, InstallProgress* progressBar, int start,
                                            int end) {
  installFolder_ = WithoutTrailingBackslash(installFolder);
  progress_ = {progressBar, start, end};
  stage_ = kPrinterNothing;
  DetectPlatform();
  return 1;
}

int VirtualPrinterInstaller::Remove() {
  if (!isAdmin_) return 0;
  if (!QueryDriverDirectory()) return 0;
  stage_ = kPrinterAdded;
  if (!Undo()) return 0;
  MoveAsideOldFiles();
  // An empty folder would make both paths relative to the current drive's root.
  if (!installFolder_.empty()) {
    if (addin_.remove) addin_.remove(installFolder_);
    ::RemoveDirectoryW(installFolder_.c_str());
  }
  return 1;
}

int VirtualPrinterInstaller::Undo() {
  switch (stage_) {
    case kPrinterAdded:
      if (!DeletePrinters()) return 0;
      [[fallthrough]];
    case kPrinterDriverAdded:
      if (!DeleteDriver()) return 0;
      [[fallthrough]];
    case kPrinterDriverFilesCopied: DeleteDriverCopies(); [[fallthrough]];
    case kPrinterPortAdded: DeletePort(); break;
    case kPrinterNothing: break;
  }
  return 1;
}

bool VirtualPrinterInstaller::QueryDriverDirectory() {
  wchar_t directory[260] = {};  // 520 bytes
  DWORD needed = 0;
  const BOOL ok = spooler_.getPrinterDriverDirectory(nullptr, environment_.data(), 1,
                                                     reinterpret_cast<LPBYTE>(directory), sizeof(directory), &needed);
  directory[259] = L'\0';
  driverDirectory_ = ok ? directory : L"";
  return !driverDirectory_.empty();
}

void VirtualPrinterInstaller::MoveAsideOldFiles() {
  for (const auto& [installed, temporary] : kMovedAside) {
    const std::wstring moved = VersionFolderPath(temporary);
    ::MoveFileW(VersionFolderPath(installed).c_str(), moved.c_str());
    // A file still loaded somewhere can be renamed but not deleted: it goes at the next restart. Nothing
    // is scheduled for a name that was never there.
    if (!::DeleteFileW(moved.c_str()) && Exists(moved)) {
      ::MoveFileExW(moved.c_str(), nullptr, MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT);
    }
  }
}

HANDLE VirtualPrinterInstaller::OpenPortMonitor() {
  std::wstring monitor = kPortMonitor;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
  HANDLE handle = nullptr;
  return spooler_.openPrinter(monitor.data(), &handle, &defaults) ? handle : nullptr;
}

int VirtualPrinterInstaller::AddPort() {
  using XcvDataFn = BOOL(WINAPI*)(HANDLE, PCWSTR, PBYTE, DWORD, PBYTE, DWORD, PDWORD, PDWORD);
  const UniqueModule winspool(LoadSystemLibrary(L"winspool.drv"));
  const auto xcvData = FindEntry<XcvDataFn>(winspool.get(), "XcvDataW");
  if (!xcvData) return 0;
  HANDLE monitor = OpenPortMonitor();
  if (!monitor) return 0;
  PortNameBuffer port;
  DWORD needed = 0;
  DWORD status = 0;
  const BOOL called = xcvData(monitor, L"AddPort", port.bytes(), kPortNameBytes, nullptr, 0, &needed, &status);
  spooler_.closePrinter(monitor);
  // A port that is already there (183) is as good as a new one.
  if (!called || static_cast<LONG>(status) < 0) return 0;
  stage_ = kPrinterPortAdded;
  return 1;
}

int VirtualPrinterInstaller::AddDriver() {
  stage_ = kPrinterDriverFilesCopied;
  for (const DriverFile& file : {kDriverPath, kConfigFile, kDataFile}) {
    if (!::CopyFileW(SourcePath(file.source32, file.source64).c_str(), DriverPath(file.installed).c_str(), FALSE)) {
      Undo();
      return 0;
    }
  }
  // Bare names: the spooler takes the files from the driver directory into its version-3 folder.
  std::wstring name = kPrinterDriverName;
  std::wstring driverPath = kDriverPath.installed;
  std::wstring dataFile = kDataFile.installed;
  std::wstring configFile = kConfigFile.installed;
  wchar_t helpFile[1] = {};
  wchar_t noDependentFiles[2] = {};
  wchar_t defaultDataType[1] = {};
  DRIVER_INFO_3W info{};
  info.cVersion = 3;
  info.pName = name.data();
  info.pEnvironment = environment_.data();
  info.pDriverPath = driverPath.data();
  info.pDataFile = dataFile.data();
  info.pConfigFile = configFile.data();
  info.pHelpFile = helpFile;
  info.pDependentFiles = noDependentFiles;
  info.pMonitorName = nullptr;
  info.pDefaultDataType = defaultDataType;
  if (!spooler_.addPrinterDriver(nullptr, 3, reinterpret_cast<LPBYTE>(&info))) {
    Undo();
    return 0;
  }
  stage_ = kPrinterDriverAdded;
  for (const DriverFile& file : {kDriverPath, kConfigFile}) {
    const std::wstring path = DriverPath(file.installed);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
      ::SetFileAttributesW(path.c_str(), (attributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL);
    }
  }
  return 1;
}

int VirtualPrinterInstaller::AddPrinter() {
  std::wstring printerName = kPrinterName;
  HANDLE existing = nullptr;
  if (spooler_.openPrinter(printerName.data(), &existing, nullptr)) {
    // The user's printer of that name stays as it is, whatever it prints through.
    spooler_.closePrinter(existing);
    stage_ = kPrinterAdded;
    return 1;
  }
  std::wstring port = kPrinterPortName;
  std::wstring driver = kPrinterDriverName;
  std::wstring processor = L"WinPrint";
  std::wstring dataType = L"RAW";
  PRINTER_INFO_2W info{};
  info.pPrinterName = printerName.data();
  info.pPortName = port.data();
  info.pDriverName = driver.data();
  info.pPrintProcessor = processor.data();
  info.pDatatype = dataType.data();
  info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  HANDLE added = spooler_.addPrinter(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
  if (!added) {
    Undo();
    return 0;
  }
  spooler_.closePrinter(added);
  stage_ = kPrinterAdded;
  return 1;
}

int VirtualPrinterInstaller::CopyProxyProcess() {
  return ::CopyFileW(SourcePath(kProxyProcess.source32, kProxyProcess.source64).c_str(),
                     VersionFolderPath(kProxyProcess.installed).c_str(), FALSE)
             ? 1
             : 0;
}

int VirtualPrinterInstaller::InstallSupportFiles() {
  wchar_t windows[MAX_PATH] = {};
  const UINT length = ::GetWindowsDirectoryW(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 0;
  const std::wstring system = std::wstring(windows) + L"\\System32\\";
  const std::wstring wbem = system + L"wbem\\";
  auto copyInto = [this](const std::wstring& folder, const wchar_t* name) {
    return ::CopyFileW((sourceFolder_ + L"\\" + name).c_str(), (folder + name).c_str(), FALSE) != FALSE;
  };
  const wchar_t* const process = ProductFileOf(FileStep::PrinterProcessLibrary).name;
  const wchar_t* const wmi = ProductFileOf(FileStep::PrinterWmiLibrary).name;
  if (!Exists(system + process) && !copyInto(system, process)) return 0;
  if (!Exists(system + wmi) && !Exists(wbem + wmi)) {
    if (!copyInto(system, wmi) && !copyInto(wbem, wmi)) return 0;
  }
  return 1;
}

bool VirtualPrinterInstaller::DeletePrinters() {
  DWORD needed = 0;
  DWORD count = 0;
  spooler_.enumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed);
  count = 0;
  if (!spooler_.enumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.empty() ? nullptr : buffer.data(), needed, &needed,
                             &count)) {
    return true;
  }
  const auto* printers = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    if (!printers[i].pDriverName || std::wcscmp(printers[i].pDriverName, kPrinterDriverName) != 0) continue;
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    while (!spooler_.openPrinter(printers[i].pPrinterName, &printer, &access)) {
      if (!AskRetry(kTextCantOpenPrinter)) return false;
    }
    while (!spooler_.deletePrinter(printer)) {
      if (!AskRetry(kTextCantDeletePrinter)) {
        spooler_.closePrinter(printer);
        return false;
      }
    }
    spooler_.closePrinter(printer);
  }
  return true;
}

bool VirtualPrinterInstaller::DeleteDriver() {
  std::wstring driver = kPrinterDriverName;
  for (;;) {
    // A failure that sets no code must not pass for "gone" on a code some earlier call left behind.
    ::SetLastError(ERROR_SUCCESS);
    // The environment the driver went in under: with none, a 32-bit process's spooler looks at its 32-bit
    // drivers only and the 64-bit one stays.
    if (spooler_.deletePrinterDriver(nullptr, environment_.data(), driver.data())) return true;
    if (::GetLastError() == ERROR_UNKNOWN_PRINTER_DRIVER) return true;
    // Spoolers differ in what they answer for a driver that isn't there (Wine sets no code at all); one the
    // spooler doesn't list is gone, and asking the user to close programs would only repeat the box.
    if (!DriverListed()) return true;
    if (!AskRetry(kTextCantDeleteDriver)) return false;
  }
}

bool VirtualPrinterInstaller::DriverListed() {
  DWORD needed = 0;
  DWORD count = 0;
  spooler_.enumPrinterDrivers(nullptr, environment_.data(), 1, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed);
  if (!spooler_.enumPrinterDrivers(nullptr, environment_.data(), 1, buffer.empty() ? nullptr : buffer.data(), needed,
                                   &needed, &count)) {
    // An environment the spooler doesn't know holds no driver; any other failure leaves it unknown, and the
    // retry stays offered rather than pass a driver that may still be there.
    return ::GetLastError() != ERROR_INVALID_ENVIRONMENT;
  }
  const auto* drivers = reinterpret_cast<const DRIVER_INFO_1W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    if (drivers[i].pName && std::wcscmp(drivers[i].pName, kPrinterDriverName) == 0) return true;
  }
  return false;
}

void VirtualPrinterInstaller::DeleteDriverCopies() {
  for (const DriverFile& file : {kDataFile, kConfigFile, kDriverPath}) {
    ::DeleteFileW(DriverPath(file.installed).c_str());
  }
}

void VirtualPrinterInstaller::DeletePort() {
  HANDLE monitor = OpenPortMonitor();
  if (!monitor) return;
  PortNameBuffer port;
  DWORD needed = 0;
  DWORD status = 0;
  spooler_.xcvData(monitor, L"DeletePort", port.bytes(), kPortNameBytes, nullptr, 0, &needed, &status);
  spooler_.closePrinter(monitor);
}

void VirtualPrinterInstaller::DetectPlatform() {
  isAdmin_ = 0;
  isWow64_ = 0;
  environment_ = kEnvironment32;

  OSVERSIONINFOEXW extended{};
  extended.dwOSVersionInfoSize = sizeof(extended);  // 284 bytes
  DWORD major = 0;
  if (::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&extended))) {
    major = extended.dwMajorVersion;
  } else {
    OSVERSIONINFOW basic{};
    basic.dwOSVersionInfoSize = sizeof(basic);  // 276 bytes
    if (!::GetVersionExW(&basic)) return;
    major = basic.dwMajorVersion;
  }
  if (major < 5) return;

  UniqueKey software;
  DWORD disposition = 0;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        software.receive(), &disposition) == ERROR_SUCCESS) {
    isAdmin_ = 1;
  }

#ifdef _WIN64
  isWow64_ = 1;
  environment_ = kEnvironment64;
  return;
#endif
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto isWow64Process = FindEntry<IsWow64ProcessFn>(::GetModuleHandleW(L"kernel32.dll"), "IsWow64Process");
  if (!isWow64Process) return;
  BOOL wow64 = FALSE;
  if (isWow64Process(::GetCurrentProcess(), &wow64)) {
    isWow64_ = wow64 ? 1 : 0;
    if (isWow64_) environment_ = kEnvironment64;
  }
}

bool VirtualPrinterInstaller::AskRetry(unsigned textId) const {
  return prompt_ && prompt_->Ask(textId, MB_OKCANCEL, PromptCaption::Printer) == IDOK;
}

std::wstring VirtualPrinterInstaller::SourcePath(const wchar_t* name32, const wchar_t* name64) const {
  return sourceFolder_ + L"\\" + (isWow64_ == 1 ? name64 : name32);
}

std::wstring VirtualPrinterInstaller::DriverPath(const wchar_t* name) const { return driverDirectory_ + L"\\" + name; }

std::wstring VirtualPrinterInstaller::VersionFolderPath(const wchar_t* name) const {
  return driverDirectory_ + L"\\3\\" + name;
}

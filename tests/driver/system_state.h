#pragma once
// What tests read and arrange on the system around the setup: files, folders, registry values, shortcuts,
// printers. Each helper answers plainly ("<none>", false, empty) when the thing is not there.
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/product.h"

namespace sys {

// Where the setup keeps the product's records.
using ::kLanguageKey;
using ::kProductKey;
using ::kUninstallKey;
// Where the package's stand-in add-in notes its registration.
inline constexpr wchar_t kAddinMarker[] = L"Software\\Kelto Software\\Test\\WordAddinRegistered";

bool Exists(const std::wstring& path);
bool IsFolder(const std::wstring& path);
// The names in a folder, sorted.
std::vector<std::wstring> List(const std::wstring& folder);
void RemoveTree(const std::wstring& folder);  // with or without its trailing backslash
// The file's bytes, or "<missing>".
std::string ReadText(const std::wstring& path);
bool WriteText(const std::wstring& path, const std::string& text);

// A REG_SZ value (nullptr: the default value), or "<none>".
std::wstring ReadValue(HKEY root, const std::wstring& key, const wchar_t* name, REGSAM view = 0);
// A REG_DWORD value as decimal text, or "<none>" (also for a value of another type).
std::wstring ReadDword(HKEY root, const std::wstring& key, const wchar_t* name, REGSAM view = 0);
bool WriteValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text, REGSAM view = 0);
bool KeyExists(HKEY root, const std::wstring& key, REGSAM view = 0);
void DeleteKey(HKEY root, const std::wstring& key, REGSAM view = 0);
// Names of a key's subkeys, sorted.
std::vector<std::wstring> SubKeys(HKEY root, const std::wstring& key, REGSAM view = 0);

std::wstring SpecialFolder(int csidl);
std::wstring TempFolder();
// The stand-in package as the build laid it out beside the test program ("payload-stage", no backslash), and
// one of its files.
std::wstring StageFolder();
std::wstring StagedFile(const std::wstring& name);
// True in a 64-bit prefix (the harness sets KELTO_PREFIX_ARCH).
bool PrefixIs64Bit();
// The current user's SID as SDDL text, empty when it can't be read.
std::wstring UserSid();
// The local date as yyyymmdd.
std::wstring Today();

// Every file under `folder`, as "relative\path" with its size, sorted case-blind.
struct FileEntry {
  std::wstring path;
  uint64_t size;
};
std::vector<FileEntry> FileTree(const std::wstring& folder);

// What a shell link holds, read through the shell; `loaded` false when it can't be read.
struct LinkProperties {
  bool loaded = false;
  std::wstring target, description, arguments, workingFolder;
};
LinkProperties ReadLink(const std::wstring& path);
// The program or file a shell link points at, or "<unreadable>".
std::wstring LinkTarget(const std::wstring& link);

// --- the spooler, through its own enumerations

// Wine's spooler adds a printer only on a driver of the calling process's own environment.
constexpr const wchar_t* kProcessEnvironment = sizeof(void*) == 4 ? L"Windows NT x86" : L"Windows x64";

// So a printer on the driver of the other environment is refused: the 32-bit setup's on the 64-bit driver it
// installs for 64-bit Windows (a 64-bit prefix, or a test that says so in a 32-bit one).
inline bool SpoolerRefusesThePrinter(bool driverFor64BitWindows = PrefixIs64Bit()) {
  return driverFor64BitWindows != (sizeof(void*) == 8);
}

struct PrinterFacts {
  std::wstring name, port, driver, processor, dataType;
  DWORD attributes = 0;
};
std::vector<PrinterFacts> LocalPrinters();
bool FindPrinter(const std::wstring& name, PrinterFacts* facts = nullptr);
bool PrinterExists(const std::wstring& name);

struct DriverFacts {
  DWORD version = 0;
  std::wstring environment, driverPath, configFile, dataFile;
};
bool FindDriver(const wchar_t* environment, const std::wstring& name, DriverFacts* facts = nullptr);
// The spooler's driver folder of an environment, empty when it has none.
std::wstring DriverDirectoryOf(const wchar_t* environment);

// The default printer's name, or "<none>".
std::wstring DefaultPrinter();
bool PortExists(const std::wstring& name);

// Spooler objects made directly, as another product or an earlier install would have left them: a driver on
// the package's 32-bit files (copied from the stage into the environment's driver folder), a local printer.
extern const std::vector<std::wstring> kDriverFiles;  // driver, configuration module, data file
bool AddDriverDirectly(const std::wstring& name, const wchar_t* environment);
bool AddPrinterDirectly(const std::wstring& name, const std::wstring& driver, const std::wstring& port);
void DeletePrinterNamed(const std::wstring& name);

// --- processes

// How the stand-in product ("Kelto Quorbel.exe") was started, one start a line of its log: the command line,
// then the fields it appends (printer, pdf, parent, parent id, folder, NoDefaultCurrentDirectoryInExePath).
struct ProductStart {
  std::wstring commandLine;
  std::vector<std::pair<std::wstring, std::wstring>> fields;
  std::wstring operator[](const std::wstring& name) const;  // "<absent>" when the line has no such field
};
std::vector<ProductStart> ProductStarts(const std::wstring& logPath);
// Names the product's log for every start, also those by the desktop shell, whose programs don't get the test's
// environment (HKCU\Software\Kelto Software\Test, value ProductLog); empty removes it.
void SetProductLog(const std::wstring& path);

// Running processes by the name of their program ("explorer.exe"), case-blind, and a process's parent.
std::vector<DWORD> ProcessesNamed(const std::wstring& name);
DWORD ParentOf(DWORD process);
std::wstring ProcessName(DWORD process);  // "<ended>" when it is not running
// Ends every process of this prefix with that program name and waits for them; how many there were.
int EndProcessesNamed(const std::wstring& name);

// Another process's current folder (without a trailing backslash but for a root) and the value of one of its
// environment variables ("<none>" when unset), read from its process parameters; "<unreadable>" on failure.
std::wstring ProcessCurrentFolder(HANDLE process);
std::wstring ProcessEnvironmentValue(HANDLE process, const std::wstring& name);

bool SameText(const std::wstring& a, const std::wstring& b);  // case-blind
std::wstring Lower(std::wstring text);
// UTF-8, for test messages.
std::string Narrow(const std::wstring& text);

// Sets (or, with nullptr, removes) an environment variable that started programs inherit, and restores it.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const wchar_t* value) : name_(name) {
    wchar_t old[512] = L"";
    had_ = ::GetEnvironmentVariableW(name, old, 512) > 0;
    old_ = old;
    ::SetEnvironmentVariableW(name, value);
  }
  ~ScopedEnvironment() { ::SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const wchar_t* name_;
  std::wstring old_;
  bool had_ = false;
};

}  // namespace sys

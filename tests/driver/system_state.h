#pragma once
// What tests read and arrange on the system around the setup: files, folders, registry values, shortcuts,
// printers. Each helper answers plainly ("<none>", false, empty) when the thing is not there.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace sys {

// Where the setup keeps the product's records.
inline constexpr wchar_t kProductKey[] = L"Software\\Kelto Software\\Kelto Quorbel";
inline constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kelto Quorbel";

bool Exists(const std::wstring& path);
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
// A file of the stand-in package as the build laid it out beside the test program.
std::wstring StagedFile(const std::wstring& name);

// Every file under `folder`, as "relative\path" with its size, sorted case-blind.
struct FileEntry {
  std::wstring path;
  uint64_t size;
};
std::vector<FileEntry> FileTree(const std::wstring& folder);

// The program or file a shell link points at, or "<unreadable>".
std::wstring LinkTarget(const std::wstring& link);

bool PrinterExists(const std::wstring& name);
// The default printer's name, or "<none>".
std::wstring DefaultPrinter();
bool PortExists(const std::wstring& name);

bool SameText(const std::wstring& a, const std::wstring& b);  // case-blind
std::wstring Lower(std::wstring text);

class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const wchar_t* value) : name_(name) { ::SetEnvironmentVariableW(name, value); }
  ~ScopedEnvironment() { ::SetEnvironmentVariableW(name_, nullptr); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const wchar_t* name_;
};

}  // namespace sys

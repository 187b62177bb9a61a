#include "tests/driver/system_state.h"

#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <winspool.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "tests/driver/walk.h"

namespace sys {

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::wstring> List(const std::wstring& folder) { return gui::FolderEntries(folder); }

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::wstring& path) {
  std::wstring folder = path;
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  if (folder.empty()) return;
  for (const std::wstring& name : gui::FolderEntries(folder)) {
    const std::wstring path = folder + L"\\" + name;
    if (IsFolder(path)) {
      RemoveTree(path);
    } else {
      ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(path.c_str());
    }
  }
  ::RemoveDirectoryW(folder.c_str());
}

std::string ReadText(const std::wstring& path) {
  HANDLE file =
      ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string text(::GetFileSize(file, nullptr), '\0');
  DWORD done = 0;
  if (!text.empty()) ::ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &done, nullptr);
  ::CloseHandle(file);
  text.resize(done);
  return text;
}

bool WriteText(const std::wstring& path, const std::string& text) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
  ::CloseHandle(file);
  return done == text.size();
}

std::wstring ReadValue(HKEY root, const std::wstring& key, const wchar_t* name, REGSAM view) {
  HKEY opened;
  if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) return L"<none>";
  wchar_t text[2048] = L"";
  DWORD size = sizeof(text) - sizeof(wchar_t);
  const LONG status = ::RegGetValueW(opened, nullptr, name, RRF_RT_REG_SZ, nullptr, text, &size);
  ::RegCloseKey(opened);
  return status == ERROR_SUCCESS ? std::wstring(text) : L"<none>";
}

std::wstring ReadDword(HKEY root, const std::wstring& key, const wchar_t* name, REGSAM view) {
  HKEY opened;
  if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) return L"<none>";
  DWORD value = 0;
  DWORD size = sizeof(value);
  const LONG status = ::RegGetValueW(opened, nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
  ::RegCloseKey(opened);
  return status == ERROR_SUCCESS ? std::to_wstring(value) : L"<none>";
}

bool WriteValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text, REGSAM view) {
  HKEY opened;
  if (::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &opened, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LONG status = ::RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(opened);
  return status == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::wstring& key, REGSAM view) {
  HKEY opened;
  if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return false;
  ::RegCloseKey(opened);
  return true;
}

void DeleteKey(HKEY root, const std::wstring& key, REGSAM view) {
  const size_t cut = key.find_last_of(L'\\');
  const std::wstring parent = cut == std::wstring::npos ? L"" : key.substr(0, cut);
  const std::wstring leaf = cut == std::wstring::npos ? key : key.substr(cut + 1);
  HKEY opened;
  if (::RegOpenKeyExW(root, parent.c_str(), 0, KEY_ALL_ACCESS | view, &opened) != ERROR_SUCCESS) return;
  ::RegDeleteTreeW(opened, leaf.c_str());
  ::RegDeleteKeyExW(opened, leaf.c_str(), view, 0);
  ::RegCloseKey(opened);
}

std::vector<std::wstring> SubKeys(HKEY root, const std::wstring& key, REGSAM view) {
  std::vector<std::wstring> names;
  HKEY opened;
  if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return names;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (::RegEnumKeyExW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  ::RegCloseKey(opened);
  std::sort(names.begin(), names.end());
  return names;
}

std::wstring SpecialFolder(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  return SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : L"";
}

std::wstring TempFolder() {
  wchar_t path[MAX_PATH + 1] = L"";
  ::GetTempPathW(MAX_PATH + 1, path);
  std::wstring folder = path;
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

std::wstring StageFolder() { return gui::JoinPath(gui::ModuleFolder(), L"payload-stage"); }

std::wstring StagedFile(const std::wstring& name) { return StageFolder() + L"\\" + name; }

bool PrefixIs64Bit() {
  const char* arch = std::getenv("KELTO_PREFIX_ARCH");
  return arch && std::string(arch) == "win64";
}

std::wstring Today() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  wchar_t text[16];
  swprintf(text, 16, L"%04u%02u%02u", unsigned{now.wYear}, unsigned{now.wMonth}, unsigned{now.wDay});
  return text;
}

std::string Narrow(const std::wstring& text) {
  std::string out(::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(out.empty() ? 0 : out.size() - 1);
  return out;
}

std::wstring Lower(std::wstring text) {
  if (!text.empty()) ::CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

bool SameText(const std::wstring& a, const std::wstring& b) { return Lower(a) == Lower(b); }

// --- processes

std::wstring ProductStart::operator[](const std::wstring& name) const {
  for (const auto& field : fields) {
    if (field.first == name) return field.second;
  }
  return L"<absent>";
}

std::vector<ProductStart> ProductStarts(const std::wstring& logPath) {
  const std::string bytes = ReadText(logPath);
  std::vector<ProductStart> starts;
  if (bytes == "<missing>") return starts;
  std::wstring text(bytes.size(), L'\0');
  text.resize(::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0],
                                    static_cast<int>(text.size())));
  for (size_t start = 0, end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
    const std::wstring line = text.substr(start, end - start);
    ProductStart entry;
    size_t at = line.find(L" | ");
    entry.commandLine = line.substr(0, at);
    while (at != std::wstring::npos) {
      const size_t next = line.find(L" | ", at + 3);
      const std::wstring field = line.substr(at + 3, next == std::wstring::npos ? std::wstring::npos : next - at - 3);
      const size_t colon = field.find(L": ");
      entry.fields.emplace_back(field.substr(0, colon), colon == std::wstring::npos ? L"" : field.substr(colon + 2));
      at = next;
    }
    starts.push_back(entry);
  }
  return starts;
}

void SetProductLog(const std::wstring& path) {
  const wchar_t key[] = L"Software\\Kelto Software\\Test";
  if (path.empty()) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS) return;
    ::RegDeleteValueW(opened, L"ProductLog");
    ::RegCloseKey(opened);
    return;
  }
  WriteValue(HKEY_CURRENT_USER, key, L"ProductLog", path);
}

namespace {

// Every running process as the system lists it: id, parent id, program name.
std::vector<PROCESSENTRY32W> ProcessList() {
  std::vector<PROCESSENTRY32W> list;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return list;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
    list.push_back(entry);
    entry.dwSize = sizeof(entry);
  }
  ::CloseHandle(snapshot);
  return list;
}

bool ReadFrom(HANDLE process, const void* address, void* buffer, size_t size) {
  SIZE_T read = 0;
  return ::ReadProcessMemory(process, address, buffer, size, &read) && read == size;
}

// The start of RTL_USER_PROCESS_PARAMETERS, laid out with pointer-sized slots so that it fits either width.
struct ProcessParameters {
  BYTE sizesAndFlags[16];
  PVOID consoleAndStandardHandles[5];
  UNICODE_STRING currentDirectory;
  PVOID currentDirectoryHandle;
  UNICODE_STRING dllPath;
  UNICODE_STRING imagePath;
  UNICODE_STRING commandLine;
  PVOID environment;
};

bool ReadProcessParameters(HANDLE process, ProcessParameters& parameters) {
  using QueryFn = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic = {};
  if (!query || query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0) return false;
  struct {
    BYTE flags[4];
    PVOID mutantAndImageBase[2];
    PVOID loaderData;
    PVOID processParameters;
  } peb = {};
  return basic.PebBaseAddress && ReadFrom(process, basic.PebBaseAddress, &peb, sizeof(peb)) &&
         ReadFrom(process, peb.processParameters, &parameters, sizeof(parameters));
}

}  // namespace

std::vector<DWORD> ProcessesNamed(const std::wstring& name) {
  std::vector<DWORD> found;
  for (const PROCESSENTRY32W& entry : ProcessList()) {
    if (SameText(entry.szExeFile, name)) found.push_back(entry.th32ProcessID);
  }
  return found;
}

DWORD ParentOf(DWORD process) {
  for (const PROCESSENTRY32W& entry : ProcessList()) {
    if (entry.th32ProcessID == process) return entry.th32ParentProcessID;
  }
  return 0;
}

std::wstring ProcessName(DWORD process) {
  for (const PROCESSENTRY32W& entry : ProcessList()) {
    if (entry.th32ProcessID == process) return entry.szExeFile;
  }
  return L"<ended>";
}

int EndProcessesNamed(const std::wstring& name) {
  int ended = 0;
  for (const DWORD id : ProcessesNamed(name)) {
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process) continue;
    if (::TerminateProcess(process, 1)) ++ended;
    ::WaitForSingleObject(process, 10000);
    ::CloseHandle(process);
  }
  return ended;
}

std::wstring ProcessCurrentFolder(HANDLE process) {
  ProcessParameters parameters = {};
  if (!ReadProcessParameters(process, parameters)) return L"<unreadable>";
  std::wstring folder(parameters.currentDirectory.Length / sizeof(wchar_t), L'\0');
  if (!folder.empty() && !ReadFrom(process, parameters.currentDirectory.Buffer, &folder[0], folder.size() * 2)) {
    return L"<unreadable>";
  }
  if (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  return folder;
}

std::wstring ProcessEnvironmentValue(HANDLE process, const std::wstring& name) {
  ProcessParameters parameters = {};
  if (!ReadProcessParameters(process, parameters) || !parameters.environment) return L"<unreadable>";
  // "NAME=value" strings, one after another, ending with an empty one; read a page at a time, as the block
  // may end just before unmapped memory.
  std::wstring block;
  const BYTE* at = static_cast<const BYTE*>(parameters.environment);
  constexpr size_t kPage = 4096;
  while (block.size() < 512 * 1024 && block.find(std::wstring(2, L'\0')) == std::wstring::npos) {
    const size_t chunk = kPage - reinterpret_cast<uintptr_t>(at) % kPage;
    std::wstring piece(chunk / sizeof(wchar_t), L'\0');
    if (!ReadFrom(process, at, &piece[0], piece.size() * sizeof(wchar_t))) return L"<unreadable>";
    block += piece;
    at += chunk;
  }
  const std::wstring wanted = Lower(name) + L"=";
  for (size_t start = 0; start < block.size() && block[start] != L'\0';) {
    const size_t end = block.find(L'\0', start);
    const std::wstring entry = block.substr(start, end - start);
    if (Lower(entry.substr(0, wanted.size())) == wanted) return entry.substr(wanted.size());
    start = end + 1;
  }
  return L"<none>";
}

namespace {

void CollectFiles(const std::wstring& folder, const std::wstring& relative, std::vector<FileEntry>& files) {
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      CollectFiles(folder + L"\\" + name, path, files);
    } else {
      files.push_back({path, (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow});
    }
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
}

}  // namespace

std::vector<FileEntry> FileTree(const std::wstring& folder) {
  std::vector<FileEntry> files;
  CollectFiles(folder, L"", files);
  std::sort(files.begin(), files.end(),
            [](const FileEntry& a, const FileEntry& b) { return Lower(a.path) < Lower(b.path); });
  return files;
}

LinkProperties ReadLink(const std::wstring& path) {
  LinkProperties properties;
  const HRESULT init = ::CoInitialize(nullptr);
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
        properties.loaded = true;
        wchar_t text[1024] = {};
        link->GetPath(text, 1024, nullptr, SLGP_RAWPATH);
        properties.target = text;
        text[0] = 0;
        link->GetDescription(text, 1024);
        properties.description = text;
        text[0] = 0;
        link->GetArguments(text, 1024);
        properties.arguments = text;
        text[0] = 0;
        link->GetWorkingDirectory(text, 1024);
        properties.workingFolder = text;
      }
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(init)) ::CoUninitialize();
  return properties;
}

std::wstring LinkTarget(const std::wstring& link) {
  const LinkProperties properties = ReadLink(link);
  return properties.loaded ? properties.target : L"<unreadable>";
}

namespace {

// An enumeration's records, asked for twice: once for the size, once into a buffer of it.
template <typename Info>
std::vector<BYTE> Enumerate(const std::function<BOOL(LPBYTE, DWORD, LPDWORD, LPDWORD)>& call, DWORD& count) {
  DWORD needed = 0;
  count = 0;
  call(nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed + sizeof(Info));
  if (!call(buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count)) count = 0;
  return buffer;
}

std::wstring Text(const wchar_t* text) { return text ? text : L""; }

}  // namespace

std::vector<PrinterFacts> LocalPrinters() {
  DWORD count = 0;
  const std::vector<BYTE> buffer = Enumerate<PRINTER_INFO_2W>(
      [](LPBYTE out, DWORD size, LPDWORD needed, LPDWORD returned) {
        return ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, out, size, needed, returned);
      },
      count);
  std::vector<PrinterFacts> printers;
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    printers.push_back({Text(info[i].pPrinterName), Text(info[i].pPortName), Text(info[i].pDriverName),
                        Text(info[i].pPrintProcessor), Text(info[i].pDatatype), info[i].Attributes});
  }
  return printers;
}

bool FindPrinter(const std::wstring& name, PrinterFacts* facts) {
  for (const PrinterFacts& printer : LocalPrinters()) {
    if (printer.name != name) continue;
    if (facts) *facts = printer;
    return true;
  }
  return false;
}

bool PrinterExists(const std::wstring& name) { return FindPrinter(name); }

bool FindDriver(const wchar_t* environment, const std::wstring& name, DriverFacts* facts) {
  std::wstring env = environment;
  DWORD count = 0;
  const std::vector<BYTE> buffer = Enumerate<DRIVER_INFO_3W>(
      [&env](LPBYTE out, DWORD size, LPDWORD needed, LPDWORD returned) {
        return ::EnumPrinterDriversW(nullptr, env.data(), 3, out, size, needed, returned);
      },
      count);
  const auto* info = reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    if (!info[i].pName || name != info[i].pName) continue;
    if (facts) {
      *facts = {info[i].cVersion, Text(info[i].pEnvironment), Text(info[i].pDriverPath), Text(info[i].pConfigFile),
                Text(info[i].pDataFile)};
    }
    return true;
  }
  return false;
}

std::wstring DriverDirectoryOf(const wchar_t* environment) {
  wchar_t directory[MAX_PATH] = L"";
  DWORD needed = 0;
  std::wstring env = environment;
  if (!::GetPrinterDriverDirectoryW(nullptr, env.data(), 1, reinterpret_cast<LPBYTE>(directory), sizeof(directory),
                                    &needed)) {
    return L"";
  }
  return directory;
}

const std::vector<std::wstring> kDriverFiles = {L"kqmvpr_drv.dll", L"kqmvpr_ui.dll", L"kqmvpr_pnt.txt"};

bool AddDriverDirectly(const std::wstring& name, const wchar_t* environment) {
  const std::wstring directory = DriverDirectoryOf(environment);
  for (const std::wstring& file : kDriverFiles) {
    if (!::CopyFileW(StagedFile(file).c_str(), (directory + L"\\" + file).c_str(), FALSE)) return false;
  }
  std::wstring driverName = name, env = environment, driverPath = kDriverFiles[0], configFile = kDriverFiles[1],
               dataFile = kDriverFiles[2];
  DRIVER_INFO_3W info{};
  info.cVersion = 3;
  info.pName = driverName.data();
  info.pEnvironment = env.data();
  info.pDriverPath = driverPath.data();
  info.pDataFile = dataFile.data();
  info.pConfigFile = configFile.data();
  return ::AddPrinterDriverW(nullptr, 3, reinterpret_cast<LPBYTE>(&info)) != FALSE;
}

bool AddPrinterDirectly(const std::wstring& name, const std::wstring& driver, const std::wstring& port) {
  std::wstring printerName = name, driverName = driver, portName = port, processor = L"WinPrint", dataType = L"RAW";
  PRINTER_INFO_2W info{};
  info.pPrinterName = printerName.data();
  info.pPortName = portName.data();
  info.pDriverName = driverName.data();
  info.pPrintProcessor = processor.data();
  info.pDatatype = dataType.data();
  info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
  if (!printer) return false;
  ::ClosePrinter(printer);
  return true;
}

void DeletePrinterNamed(const std::wstring& name) {
  std::wstring printerName = name;
  PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE printer = nullptr;
  if (!::OpenPrinterW(printerName.data(), &printer, &all)) return;
  ::DeletePrinter(printer);
  ::ClosePrinter(printer);
}

std::wstring DefaultPrinter() {
  wchar_t name[512] = L"";
  DWORD size = 512;
  return ::GetDefaultPrinterW(name, &size) ? std::wstring(name) : L"<none>";
}

bool PortExists(const std::wstring& name) {
  for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY)}) {
    HKEY opened;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports", 0,
                        KEY_READ | view, &opened) != ERROR_SUCCESS) {
      continue;
    }
    const bool found = ::RegQueryValueExW(opened, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    ::RegCloseKey(opened);
    if (found) return true;
  }
  return false;
}

std::wstring UserSid() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return std::wstring();
  BYTE buffer[256];
  DWORD size = 0;
  std::wstring text;
  LPWSTR sid = nullptr;
  if (::GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size) &&
      ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid)) {
    text = sid;
    ::LocalFree(sid);
  }
  ::CloseHandle(token);
  return text;
}

}  // namespace sys

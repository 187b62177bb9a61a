#include "engine/extract_package.h"

#include <set>
#include <vector>

#include "engine/package_stream.h"
#include "framework/base/admin_only.h"
#include "framework/base/final_path.h"
#include "framework/base/path_text.h"

namespace {

// One call moves at most this much, so a DWORD count never overflows.
constexpr DWORD kIoChunk = DWORD{1} << 24;

bool WriteAll(HANDLE file, const uint8_t* data, size_t size) {
  while (size > 0) {
    const DWORD want = size > kIoChunk ? kIoChunk : static_cast<DWORD>(size);
    DWORD done = 0;
    if (!::WriteFile(file, data, want, &done, nullptr) || done == 0) return false;
    data += done;
    size -= done;
  }
  return true;
}

// Writes each entry into its own file in the extraction folder as its bytes are decoded.
class EntryFiles : public PackageSink {
 public:
  explicit EntryFiles(const std::wstring& folder) : folder_(folder) {}
  EntryFiles(const EntryFiles&) = delete;
  EntryFiles& operator=(const EntryFiles&) = delete;

  PackageResult BeginEntry(ByteView name, uint32_t size) override {
    (void)size;
    const char* bytes = reinterpret_cast<const char*>(name.data);
    const int nameLen = static_cast<int>(name.size);
    const int wideLen = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, nameLen, nullptr, 0);
    if (wideLen <= 0) return kPackageBadName;
    std::wstring wide(static_cast<size_t>(wideLen), L'\0');
    ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, nameLen, &wide[0], wideLen);
    // The code page can turn bytes into characters the byte check never saw.
    if (!IsSafeEntryName(wide.data(), wide.size())) return kPackageBadName;
    if (folder_.size() + wide.size() >= MAX_PATH) return kPackageEntryNotCreated;
    const std::wstring path = folder_ + wide;
    ::CharUpperBuffW(&wide[0], static_cast<DWORD>(wide.size()));
    // A name's first write must create the file: anything already there was not put there by us. A later
    // entry of the same name overwrites ours.
    const bool again = !written_.insert(wide).second;
    file_.reset(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, again ? CREATE_ALWAYS : CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file_) return kPackageEntryNotCreated;
    if (!again) created_.push_back(path);
    return kPackageOk;
  }
  PackageResult Write(ByteView bytes) override {
    return WriteAll(file_.get(), bytes.data, bytes.size) ? kPackageOk : kPackageEntryWriteFailed;
  }
  PackageResult EndEntry() override {
    file_.reset();
    return kPackageOk;
  }
  // A package that fails part-way leaves nothing of itself behind.
  void RemoveAll() {
    file_.reset();
    for (const std::wstring& path : created_) ::DeleteFileW(path.c_str());
    created_.clear();
  }

 private:
  const std::wstring folder_;
  std::set<std::wstring> written_;  // names folded the way the file system folds case
  std::vector<std::wstring> created_;
  UniqueHandle file_;
};

// The volume of `folder` keeps security descriptors: FAT keeps none, and there everyone may change anything.
bool KeepsDescriptors(const std::wstring& folder) {
  wchar_t volume[MAX_PATH + 1] = {};
  if (!::GetVolumePathNameW(folder.c_str(), volume, MAX_PATH + 1)) return false;
  DWORD flags = 0;
  return ::GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
         (flags & FILE_PERSISTENT_ACLS) != 0;
}

// The final path of `folder`, links along it followed: who may change those is the system's administrators.
std::wstring FinalPathOfParent(const std::wstring& folder) {
  const UniqueHandle opened(::CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return FinalPathOf(opened.get());
}

// Opens the folder just made at `path` without delete sharing, so that nobody can rename or delete it while
// the handle is held, and checks that it is what was made: a folder, no link, and where it was asked for.
bool HoldFolder(const std::wstring& path, const std::wstring& parentFinal, UniqueHandle& hold) {
  UniqueHandle opened(::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!opened || !::GetFileInformationByHandle(opened.get(), &info)) return false;
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return false;
  }
  const std::wstring leaf = path.substr(path.find_last_of(L'\\') + 1);
  const std::wstring openedFinal = FinalPathOf(opened.get());
  if (openedFinal.empty() || ::lstrcmpiW(openedFinal.c_str(), (parentFinal + L"\\" + leaf).c_str()) != 0) {
    return false;
  }
  hold = std::move(opened);
  return true;
}

PackageResult ExtractStream(std::wstring& extractionFolder, UniqueHandle& hold, const ByteView* stream) {
  extractionFolder.clear();
  hold.reset();

  const std::wstring parent = ExtractionParent();
  if (parent.empty()) return kPackageNoTempFolder;
  if (stream == nullptr) return kPackageNoResource;
  // A header that cannot be decoded leaves no folder behind.
  LzmaAloneHeader header;
  const PackageResult headerResult = ReadLzmaAloneHeader(*stream, header);
  if (headerResult != kPackageOk) return headerResult;

  const PackageResult made = CreateExtractionFolder(parent, extractionFolder, hold);
  if (made != kPackageOk) return made;

  // Decoded straight from where the loader mapped the resource into the files: no copy of the payload.
  EntryFiles files(extractionFolder);
  const PackageResult result = StreamPackage(*stream, files);
  if (result != kPackageOk) files.RemoveAll();
  return result;
}

ByteView ResourceStream(HMODULE module, bool& found) {
  if (module == nullptr) module = ::GetModuleHandleW(nullptr);
  ByteView stream;
  found = false;
  if (HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(kPackageResourceId), kPackageResourceType)) {
    if (HGLOBAL loaded = ::LoadResource(module, info)) {
      stream.data = static_cast<const uint8_t*>(::LockResource(loaded));
      stream.size = ::SizeofResource(module, info);
      found = stream.data != nullptr;
    }
  }
  return stream;
}

}  // namespace

std::wstring ExtractionParentIn(const std::wstring& windowsFolder) {
  if (windowsFolder.empty()) return std::wstring();
  const std::wstring base = WithoutTrailingBackslash(windowsFolder);
  for (const wchar_t* name : {L"\\SystemTemp", L"\\Temp"}) {
    const std::wstring folder = base + name;
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (KeepsDescriptors(folder + L"\\")) return folder + L"\\";
  }
  return std::wstring();
}

std::wstring ExtractionParent() {
  // The one Windows folder of the machine, not a terminal-server user's own, and not %SystemRoot% from an
  // environment that the user's programs handed down.
  wchar_t folder[MAX_PATH] = {};
  const UINT length = ::GetSystemWindowsDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  return ExtractionParentIn(folder);
}

PackageResult CreateExtractionFolder(const std::wstring& parent, std::wstring& folder, UniqueHandle& hold,
                                     unsigned firstNumber) {
  folder.clear();
  hold.reset();
  const std::wstring parentFinal = FinalPathOfParent(parent);
  if (parentFinal.empty()) return kPackageNoTempFolder;
  // Only administrators may change what goes in, since the setup runs programs from it.
  AdminOnlySecurity security;
  if (!security.attributes()) return kPackageFolderNotCreated;
  unsigned number = firstNumber != 0 ? firstNumber : ::GetTickCount();
  for (unsigned tries = 0; tries <= 0xFFFF; ++tries, ++number) {
    const UINT unique = number & 0xFFFF;
    if (unique == 0) continue;  // would make the system create a file of its own choosing
    wchar_t path[MAX_PATH] = {};
    if (::GetTempFileNameW(parent.c_str(), L"kel", unique, path) == 0) return kPackageNoTempName;
    // Created new or not at all: a name someone else took (anyone may create entries there) is passed over,
    // and we never write into a folder we did not make.
    if (!::CreateDirectoryW(path, security.attributes())) {
      if (::GetLastError() == ERROR_ALREADY_EXISTS) continue;
      return kPackageFolderNotCreated;
    }
    // A folder that fails the checks is left where it is: it may not be ours any more.
    if (!HoldFolder(path, parentFinal, hold)) return kPackageFolderNotCreated;
    folder = path;
    folder += L'\\';
    return kPackageOk;
  }
  return kPackageNoTempName;
}

PackageResult ExtractPackage(std::wstring& extractionFolder, UniqueHandle& hold, HMODULE module) {
  bool found = false;
  const ByteView stream = ResourceStream(module, found);
  return ExtractStream(extractionFolder, hold, found ? &stream : nullptr);
}

PackageResult ExtractPackage(std::wstring& extractionFolder, UniqueHandle& hold, ByteView stream) {
  return ExtractStream(extractionFolder, hold, &stream);
}

PackageResult ExtractPackage(std::wstring& extractionFolder, HMODULE module) {
  UniqueHandle hold;
  return ExtractPackage(extractionFolder, hold, module);
}

PackageResult ExtractPackage(std::wstring& extractionFolder, ByteView stream) {
  UniqueHandle hold;
  return ExtractPackage(extractionFolder, hold, stream);
}

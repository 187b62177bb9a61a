#include "engine/extract_package.h"

#include <set>
#include <vector>

#include "engine/package_stream.h"
#include "framework/base/admin_only.h"
#include "framework/base/handles.h"

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

PackageResult ExtractStream(std::wstring& extractionFolder, const ByteView* stream) {
  extractionFolder.clear();

  wchar_t tempFolder[MAX_PATH + 1] = {};
  const DWORD tempLen = ::GetTempPathW(MAX_PATH + 1, tempFolder);
  if (tempLen == 0 || tempLen > MAX_PATH) return kPackageNoTempFolder;
  if (stream == nullptr) return kPackageNoResource;
  // A header that cannot be decoded leaves no folder behind.
  LzmaAloneHeader header;
  const PackageResult headerResult = ReadLzmaAloneHeader(*stream, header);
  if (headerResult != kPackageOk) return headerResult;

  wchar_t folder[MAX_PATH] = {};
  if (::GetTempFileNameW(tempFolder, L"kel", 0, folder) == 0) return kPackageNoTempName;
  ::DeleteFileW(folder);
  // Fails if the name exists again by now: we never write into a folder we did not make. Only administrators
  // may change what goes in, since the setup runs programs from it.
  AdminOnlySecurity security;
  if (!security.attributes() || !::CreateDirectoryW(folder, security.attributes())) return kPackageFolderNotCreated;
  extractionFolder = folder;
  if (extractionFolder.back() != L'\\') extractionFolder += L'\\';

  // Decoded straight from where the loader mapped the resource into the files: no copy of the payload.
  EntryFiles files(extractionFolder);
  const PackageResult result = StreamPackage(*stream, files);
  if (result != kPackageOk) files.RemoveAll();
  return result;
}

}  // namespace

PackageResult ExtractPackage(std::wstring& extractionFolder, HMODULE module) {
  if (module == nullptr) module = ::GetModuleHandleW(nullptr);
  ByteView stream;
  bool found = false;
  if (HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(kPackageResourceId), kPackageResourceType)) {
    if (HGLOBAL loaded = ::LoadResource(module, info)) {
      stream.data = static_cast<const uint8_t*>(::LockResource(loaded));
      stream.size = ::SizeofResource(module, info);
      found = stream.data != nullptr;
    }
  }
  return ExtractStream(extractionFolder, found ? &stream : nullptr);
}

PackageResult ExtractPackage(std::wstring& extractionFolder, ByteView stream) {
  return ExtractStream(extractionFolder, &stream);
}

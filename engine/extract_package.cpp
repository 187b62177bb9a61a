#include "engine/extract_package.h"

#include <set>
#include <vector>

#include "engine/package_archive.h"
#include "engine/package_lzma.h"
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

bool ReadAll(HANDLE file, uint8_t* data, size_t size) {
  while (size > 0) {
    const DWORD want = size > kIoChunk ? kIoChunk : static_cast<DWORD>(size);
    DWORD done = 0;
    if (!::ReadFile(file, data, want, &done, nullptr) || done == 0) return false;
    data += done;
    size -= done;
  }
  return true;
}

// Creates (or truncates) `path` and writes `bytes` into it.
PackageResult WriteWholeFile(const wchar_t* path, ByteView bytes, PackageResult createFailure) {
  UniqueHandle file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return createFailure;
  return WriteAll(file.get(), bytes.data, bytes.size) ? kPackageOk : kPackageTempFileFailed;
}

PackageResult ReadWholeFile(const wchar_t* path, ByteBuffer& out, PackageResult openFailure) {
  UniqueHandle file(::CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return openFailure;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) return kPackageTempFileFailed;
  if (static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX) return kPackageNoMemory;
  if (!out.Allocate(static_cast<size_t>(size.QuadPart))) return kPackageNoMemory;
  return ReadAll(file.get(), out.data(), out.size()) ? kPackageOk : kPackageTempFileFailed;
}

// The temporary files live only for this call, on every path.
class TempFile {
 public:
  TempFile() = default;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() { Remove(); }
  [[nodiscard]] bool Make(const wchar_t* folder) {
    if (::GetTempFileNameW(folder, L"kel", 0, path_) == 0) return false;
    made_ = true;
    return true;
  }
  void Remove() {
    if (made_) ::DeleteFileW(path_);
    made_ = false;
  }
  const wchar_t* path() const { return path_; }

 private:
  wchar_t path_[MAX_PATH] = {};
  bool made_ = false;
};

struct OutputFile {
  std::wstring path;
  std::wstring key;  // the name folded the way the file system folds case
  ByteView data;
};

// Turns the checked entries into output paths before anything is written, so a bad name stops the
// package while the folder is still empty.
PackageResult PlanOutputs(const PackageArchive& archive, const std::wstring& folder, std::vector<OutputFile>& out) {
  out.reserve(archive.entries.size());
  for (const PackageEntry& entry : archive.entries) {
    const char* name = reinterpret_cast<const char*>(entry.name.data);
    const int nameLen = static_cast<int>(entry.name.size);
    const int wideLen = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, nameLen, nullptr, 0);
    if (wideLen <= 0) return kPackageBadName;
    std::wstring wide(static_cast<size_t>(wideLen), L'\0');
    ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, nameLen, &wide[0], wideLen);
    // The code page can turn bytes into characters the byte check never saw.
    if (!IsSafeEntryName(wide.data(), wide.size())) return kPackageBadName;
    if (folder.size() + wide.size() >= MAX_PATH) return kPackageEntryNotCreated;
    OutputFile file{folder + wide, wide, entry.data};
    ::CharUpperBuffW(&file.key[0], static_cast<DWORD>(file.key.size()));
    out.push_back(std::move(file));
  }
  return kPackageOk;
}

PackageResult WriteOutputs(const std::vector<OutputFile>& outputs) {
  std::set<std::wstring> written;
  for (const OutputFile& file : outputs) {
    // A name's first write must create the file: anything already there was not put there by us.
    // A later entry of the same name overwrites ours.
    const bool again = !written.insert(file.key).second;
    UniqueHandle handle(::CreateFileW(file.path.c_str(), GENERIC_WRITE, 0, nullptr, again ? CREATE_ALWAYS : CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return kPackageEntryNotCreated;
    if (!WriteAll(handle.get(), file.data.data, file.data.size)) return kPackageEntryWriteFailed;
  }
  return kPackageOk;
}

PackageResult ExtractStream(std::wstring& extractionFolder, const ByteView* stream) {
  extractionFolder.clear();

  wchar_t tempFolder[MAX_PATH + 1] = {};
  const DWORD tempLen = ::GetTempPathW(MAX_PATH + 1, tempFolder);
  if (tempLen == 0 || tempLen > MAX_PATH) return kPackageNoTempFolder;

  TempFile compressedFile;
  if (!compressedFile.Make(tempFolder)) return kPackageNoTempName;
  if (stream == nullptr) return kPackageNoResource;
  PackageResult result = WriteWholeFile(compressedFile.path(), *stream, kPackageCopyNotCreated);
  if (result != kPackageOk) return result;

  TempFile containerFile;
  if (!containerFile.Make(tempFolder)) return kPackageNoTempName;

  {
    ByteBuffer compressed;
    result = ReadWholeFile(compressedFile.path(), compressed, kPackageTempFileFailed);
    if (result != kPackageOk) return result;
    ByteBuffer container;
    result = DecodeLzmaAlone(compressed.view(), container);
    if (result != kPackageOk) return result;
    compressed.Release();
    result = WriteWholeFile(containerFile.path(), container.view(), kPackageTempFileFailed);
    if (result != kPackageOk) return result;
  }
  compressedFile.Remove();

  wchar_t folder[MAX_PATH] = {};
  if (::GetTempFileNameW(tempFolder, L"kel", 0, folder) == 0) return kPackageNoTempName;
  ::DeleteFileW(folder);
  // Fails if the name exists again by now: we never write into a folder we did not make. Only administrators
  // may change what goes in, since the setup runs programs from it.
  AdminOnlySecurity security;
  if (!security.attributes() || !::CreateDirectoryW(folder, security.attributes())) return kPackageFolderNotCreated;
  extractionFolder = folder;
  if (extractionFolder.back() != L'\\') extractionFolder += L'\\';

  ByteBuffer container;
  result = ReadWholeFile(containerFile.path(), container, kPackageContainerNotReopened);
  if (result != kPackageOk) return result;
  PackageArchive archive;
  result = ReadPackageArchive(container.view(), archive);
  if (result != kPackageOk) return result;
  std::vector<OutputFile> outputs;
  result = PlanOutputs(archive, extractionFolder, outputs);
  if (result != kPackageOk) return result;
  return WriteOutputs(outputs);
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

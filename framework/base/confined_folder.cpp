#include "framework/base/confined_folder.h"

#include <vector>

#include "framework/base/delete_tree.h"
#include "framework/base/final_path.h"
#include "framework/base/handles.h"
#include "framework/base/path_text.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kCopyChunk = 64 * 1024;

// SetFileInformationByHandle came with Vista; before it entries are changed by their paths.
using SetInformationFunction = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

SetInformationFunction SetInformation() {
  static const SetInformationFunction function = reinterpret_cast<SetInformationFunction>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetFileInformationByHandle")));
  return function;
}

std::wstring Joined(const std::wstring& folder, const std::wstring& relative) {
  return relative.empty() ? folder : JoinPath(folder, relative);
}

// The relative path of the folder holding `relative`; empty for the confined folder itself.
std::wstring ParentOf(const std::wstring& relative) {
  const size_t cut = relative.find_last_of(L'\\');
  return cut == std::wstring::npos ? std::wstring() : relative.substr(0, cut);
}

// The entry itself: a link at its end is opened as the link (Wine opens a Unix one as its target, which the final
// path then shows).
UniqueHandle OpenEntry(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
  return UniqueHandle(::CreateFileW(path.c_str(), access, share, nullptr, disposition,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT | FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
}

// Marks what `entry` opened for deletion when the handle closes; by its path where the system can't.
bool DeleteOpened(UniqueHandle entry, const std::wstring& path, bool folder) {
  if (const SetInformationFunction setInformation = SetInformation()) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return setInformation(entry.get(), FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
  }
  entry.reset();
  return (folder ? ::RemoveDirectoryW(path.c_str()) : ::DeleteFileW(path.c_str())) != FALSE;
}

bool CopyContents(HANDLE from, HANDLE to) {
  std::vector<BYTE> buffer(kCopyChunk);
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(from, buffer.data(), kCopyChunk, &read, nullptr)) return false;
    if (read == 0) break;
    DWORD written = 0;
    if (!::WriteFile(to, buffer.data(), read, &written, nullptr)) return false;
    if (written != read) {
      ::SetLastError(ERROR_DISK_FULL);
      return false;
    }
  }
  if (!::SetEndOfFile(to)) return false;
  // As a copy of the file, it keeps the time it was last written.
  FILETIME written{};
  if (::GetFileTime(from, nullptr, nullptr, &written)) ::SetFileTime(to, nullptr, nullptr, &written);
  return true;
}

bool Refuse() {
  ::SetLastError(ERROR_ACCESS_DENIED);
  return false;
}

}  // namespace

ConfinedFolder::ConfinedFolder(const std::wstring& folder) : folder_(WithoutTrailingBackslash(folder)) {}

std::wstring ConfinedFolder::PathOf(const std::wstring& relative) const { return Joined(folder_, relative); }

const std::wstring& ConfinedFolder::Base() const {
  if (!baseTaken_) {
    baseTaken_ = true;
    // Followed, links and all: whatever leads to the folder, an entry below is judged against where it is.
    const UniqueHandle folder(::CreateFileW(folder_.c_str(), FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (folder && !folder_.empty()) base_ = FinalPathOf(folder.get());
  }
  return base_;
}

ConfinedFolder::Entry ConfinedFolder::Judge(HANDLE opened, const std::wstring& relative) const {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(opened, &info)) return Entry::Elsewhere;
  const std::wstring& base = Base();
  const std::wstring final = FinalPathOf(opened);
  if (base.empty() || final.empty() || ::lstrcmpiW(final.c_str(), Joined(base, relative).c_str()) != 0) {
    return Entry::Elsewhere;
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return Entry::Link;
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Entry::Folder : Entry::File;
}

bool ConfinedFolder::IsOwnFolder(const std::wstring& relative) const {
  // The confined folder itself is followed, as when its final path was taken.
  const UniqueHandle folder =
      relative.empty() ? UniqueHandle(::CreateFileW(folder_.c_str(), FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll,
                                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr))
                       : OpenEntry(PathOf(relative), FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll, OPEN_EXISTING);
  return folder && Judge(folder.get(), relative) == Entry::Folder;
}

bool ConfinedFolder::HaveFolder(const std::wstring& relative) const {
  const std::wstring path = PathOf(relative);
  if (!IsOwnFolder(ParentOf(relative))) return Refuse();
  const bool made = ::CreateDirectoryW(path.c_str(), nullptr) != FALSE;
  UniqueHandle entry = OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll, OPEN_EXISTING);
  if (!entry) return false;
  const Entry kind = Judge(entry.get(), relative);
  if (kind == Entry::Folder || kind == Entry::File) return true;
  // Made through a link swapped in after the check: the new folder elsewhere goes again.
  if (made) DeleteOpened(std::move(entry), path, true);
  return Refuse();
}

bool ConfinedFolder::ClearAttributes(const std::wstring& relative) const {
  const std::wstring path = PathOf(relative);
  const UniqueHandle entry =
      OpenEntry(path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE, kShareAll, OPEN_EXISTING);
  if (!entry) return false;
  if (Judge(entry.get(), relative) != Entry::File) return Refuse();
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(entry.get(), &info)) return false;
  if (!(info.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) return true;
  if (const SetInformationFunction setInformation = SetInformation()) {
    FILE_BASIC_INFO basic{};  // times of zero stay as they are
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return setInformation(entry.get(), FileBasicInfo, &basic, sizeof(basic)) != FALSE;
  }
  return ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
}

bool ConfinedFolder::CopyOver(const std::wstring& source, const std::wstring& relative, FileChange* change) const {
  if (change) *change = FileChange::None;
  const UniqueHandle from(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!from) return false;
  if (!IsOwnFolder(ParentOf(relative))) return Refuse();
  const std::wstring path = PathOf(relative);
  // Readers may stay; a holder that refuses writing or deletion keeps its file (a sharing violation).
  const DWORD access = GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES;
  bool made = true;
  UniqueHandle to = OpenEntry(path, access, FILE_SHARE_READ, CREATE_NEW);
  if (!to) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
    made = false;
    if (!ClearAttributes(relative)) return false;
    to = OpenEntry(path, access, FILE_SHARE_READ, OPEN_EXISTING);
    if (!to) return false;
  }
  if (Judge(to.get(), relative) != Entry::File) {
    if (made) DeleteOpened(std::move(to), path, false);
    return Refuse();
  }
  if (change) *change = made ? FileChange::Created : FileChange::Replaced;
  if (CopyContents(from.get(), to.get())) return true;
  // A full drive or a failed write leaves a file cut short: it goes.
  const DWORD error = ::GetLastError();
  DeleteOpened(std::move(to), path, false);
  if (change && made) *change = FileChange::None;
  ::SetLastError(error);
  return false;
}

bool ConfinedFolder::RemoveFile(const std::wstring& relative) const { return Remove(relative, Entry::File); }

bool ConfinedFolder::RemoveFolder(const std::wstring& relative) const { return Remove(relative, Entry::Folder); }

bool ConfinedFolder::Remove(const std::wstring& relative, Entry expected) const {
  const std::wstring path = PathOf(relative);
  UniqueHandle entry = OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll, OPEN_EXISTING);
  if (!entry) return false;
  const Entry kind = Judge(entry.get(), relative);
  if (kind != expected && kind != Entry::Link) return Refuse();
  return DeleteOpened(std::move(entry), path, expected == Entry::Folder);
}

void ConfinedFolder::DeleteMatching(const std::wstring& relativePattern) const {
  const std::wstring& base = Base();
  if (!base.empty()) deleteMatchingIn(PathOf(relativePattern), Joined(base, ParentOf(relativePattern)));
}

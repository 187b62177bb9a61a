#include "framework/base/delete_tree.h"

#include <cwctype>
#include <vector>

#include "framework/base/final_path.h"
#include "framework/base/handles.h"
#include "framework/base/path_text.h"

namespace {

constexpr DWORD kMaxKeyName = 1000;   // characters of a sub-key name
constexpr DWORD kMaxValueName = 500;  // characters of a value name

bool IsDotEntry(const wchar_t* name) { return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0)); }

// The entry itself, a link at its end not followed; open for deletion the way DeleteFileW opens it, and a
// folder for listing too.
UniqueHandle OpenEntry(const std::wstring& path, bool folder) {
  return UniqueHandle(::CreateFileW(path.c_str(),
                                    DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE | (folder ? FILE_LIST_DIRECTORY : 0),
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

struct Listed {
  std::wstring name;
  bool folder;
};

// The entries of the folder the handle opened. GetFileInformationByHandleEx came with Vista; false where it is
// missing or refuses, and the folder is listed by its path instead.
bool ListOpened(HANDLE folder, std::vector<Listed>& entries) {
  using InformationFunction = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
  static const InformationFunction information = reinterpret_cast<InformationFunction>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetFileInformationByHandleEx")));
  if (!information || !folder || folder == INVALID_HANDLE_VALUE) return false;
  std::vector<ULONGLONG> buffer(8192);  // 64 KB, aligned for the records
  FILE_INFO_BY_HANDLE_CLASS request = FileIdBothDirectoryRestartInfo;
  for (;;) {
    if (!information(folder, request, buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(ULONGLONG)))) {
      return ::GetLastError() == ERROR_NO_MORE_FILES;
    }
    request = FileIdBothDirectoryInfo;
    const BYTE* record = reinterpret_cast<const BYTE*>(buffer.data());
    for (;;) {
      const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(record);
      const std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
      if (!IsDotEntry(name.c_str())) entries.push_back({name, (entry->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
      if (entry->NextEntryOffset == 0) break;
      record += entry->NextEntryOffset;
    }
  }
}

void ListByPath(const std::wstring& folder, std::vector<Listed>& entries) {
  WIN32_FIND_DATAW entry;
  UniqueFind find(::FindFirstFileW((folder + L"\\*.*").c_str(), &entry));
  if (!find) return;
  do {
    if (!IsDotEntry(entry.cFileName)) {
      entries.push_back({entry.cFileName, (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    }
  } while (::FindNextFileW(find.get(), &entry));
}

enum class EntryKind {
  File,       // a plain file
  Folder,     // a plain folder: its contents go first
  Link,       // a reparse point that opened as itself: deleting it deletes only the link
  Elsewhere,  // opened as another entry, or can't be told: left alone
};

// What the handle opened. Wine opens a Unix symbolic link as its target, reparse attribute and all gone, and
// deleting that handle deletes the target; only the final path tells it from the real thing. Where either
// path can't be told, nothing says the entry is the one meant.
EntryKind KindOf(HANDLE entry, const std::wstring& expectedFinal) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(entry, &info)) return EntryKind::Elsewhere;
  const std::wstring opened = FinalPathOf(entry);
  if (expectedFinal.empty() || opened.empty() || ::lstrcmpiW(opened.c_str(), expectedFinal.c_str()) != 0) {
    return EntryKind::Elsewhere;
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return EntryKind::Link;
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder : EntryKind::File;
}

// SetFileInformationByHandle came with Vista; before it the entry is deleted by its path, as it always was.
using SetFileInformationFunction = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

SetFileInformationFunction SetFileInformationLookup() {
  static const SetFileInformationFunction function = reinterpret_cast<SetFileInformationFunction>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetFileInformationByHandle")));
  return function;
}

// Deletes what `entry` opened (a file, an empty folder, or a link as itself) when the handle closes. A
// read-only file or a folder that is not empty stays.
void DeleteOpened(UniqueHandle entry, const std::wstring& path, EntryKind kind) {
  if (const SetFileInformationFunction setInformation = SetFileInformationLookup()) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    setInformation(entry.get(), FileDispositionInfo, &disposition, sizeof(disposition));
    return;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool folder =
      ::GetFileInformationByHandle(entry.get(), &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.reset();
  if (folder || kind == EntryKind::Folder) {
    ::RemoveDirectoryW(path.c_str());  // a linked folder goes as the link
  } else {
    ::DeleteFileW(path.c_str());  // attributes stay as they are: a read-only file is kept
  }
}

// Wildcard match on the long name: FindFirstFileW also matches 8.3 aliases, so "*.pdf" would find
// "notes.pdfx" through NOTES~1.PDF.
bool MatchesLongName(const wchar_t* name, const wchar_t* pattern) {
  if (::lstrcmpW(pattern, L"*.*") == 0) return true;
  const wchar_t* starName = nullptr;
  const wchar_t* starPattern = nullptr;
  while (*name) {
    if (*pattern == L'*') {
      starPattern = ++pattern;
      starName = name;
    } else if (*pattern && (*pattern == L'?' || std::towupper(*pattern) == std::towupper(*name))) {
      ++pattern;
      ++name;
    } else if (starPattern) {
      pattern = starPattern;
      name = ++starName;
    } else {
      return false;
    }
  }
  while (*pattern == L'*') ++pattern;
  return *pattern == 0;
}

void DeleteContents(HANDLE opened, const std::wstring& folder, const std::wstring& folderFinal);

// `path` as the entry `name` of a folder whose final path is `folderFinal` (empty when it can't be told, and then
// nothing is deleted): opened once, judged and deleted through that handle, so an entry swapped for a link
// after the listing is never followed. A plain folder's contents go first, listed through the same handle.
void DeleteEntry(const std::wstring& path, const std::wstring& folderFinal, const std::wstring& name, bool folder) {
  UniqueHandle entry = OpenEntry(path, folder);
  if (!entry) return;
  const std::wstring expected = folderFinal.empty() ? std::wstring() : folderFinal + L"\\" + name;
  const EntryKind kind = KindOf(entry.get(), expected);
  if (kind == EntryKind::Elsewhere) return;
  if (kind == EntryKind::Folder) DeleteContents(entry.get(), path, expected);
  DeleteOpened(std::move(entry), path, kind);
}

// Each entry is judged through its own handle against the folder's final path, so entries reached through a
// folder swapped meanwhile are left alone.
void DeleteContents(HANDLE opened, const std::wstring& folder, const std::wstring& folderFinal) {
  std::vector<Listed> entries;
  if (!ListOpened(opened, entries)) {
    entries.clear();
    ListByPath(folder, entries);
  }
  for (const Listed& entry : entries) DeleteEntry(folder + L"\\" + entry.name, folderFinal, entry.name, entry.folder);
}

// The folder part of a path: everything before its last backslash, a drive root keeping its backslash.
std::wstring ParentOf(const std::wstring& path, size_t cut) {
  std::wstring parent = path.substr(0, cut);
  if (parent.size() == 2 && parent[1] == L':') parent += L'\\';
  return parent;
}

// --- registry ---

struct KeyCounts {
  DWORD subKeys = 0;
  DWORD values = 0;
};

KeyCounts CountsOf(HKEY key) {
  KeyCounts counts;
  if (!key || ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &counts.subKeys, nullptr, nullptr, &counts.values,
                                 nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return {};
  }
  return counts;
}

// A key itself, a registry link not followed: its contents and its deletion stay with the link.
UniqueKey OpenKey(HKEY parent, const wchar_t* name) {
  UniqueKey key;
  ::RegOpenKeyExW(parent, name, REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, key.receive());
  return key;
}

// A link key carries its target in this value; the key holds nothing of its own.
bool IsLink(HKEY key) {
  DWORD type = REG_NONE;
  return ::RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
         type == REG_LINK;
}

// Deletes the key the handle opened, whatever its path names by now. RegDeleteKeyW would open the path again
// and follow a link at its end.
using NtDeleteKeyFunction = LONG(NTAPI*)(HANDLE);

bool DeleteOpenedKey(HKEY key, HKEY root, const std::wstring& path) {
  static const NtDeleteKeyFunction ntDeleteKey = reinterpret_cast<NtDeleteKeyFunction>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
  if (ntDeleteKey) return ntDeleteKey(key) >= 0;
  return ::RegDeleteKeyW(root, path.c_str()) == ERROR_SUCCESS;
}

// All names are read before the first deletion, since deleting renumbers the values.
void DeleteValues(HKEY key, DWORD count) {
  std::vector<std::wstring> names;
  for (DWORD i = 0; i < count; ++i) {
    wchar_t name[kMaxValueName + 1];
    DWORD length = kMaxValueName + 1;
    if (::RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return;
    names.emplace_back(name, length);
  }
  for (const std::wstring& name : names) {
    if (::RegDeleteValueW(key, name.c_str()) != ERROR_SUCCESS) return;
  }
}

// Always takes sub-key 0: the ones before it are gone. Stopping at the first key that stays keeps this from
// looping on it. A registry link goes as the link; what it points at is left alone.
bool DeleteSubKeys(HKEY root, HKEY key, const std::wstring& path) {
  const DWORD count = CountsOf(key).subKeys;
  for (DWORD i = 0; i < count; ++i) {
    wchar_t name[kMaxKeyName + 1];
    DWORD length = kMaxKeyName + 1;
    if (::RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return false;
    const std::wstring childPath = path + L"\\" + std::wstring(name, length);
    UniqueKey child = OpenKey(key, name);
    if (!child) return false;
    if (!IsLink(child.get())) {
      const KeyCounts counts = CountsOf(child.get());
      if (counts.subKeys > 0 && !DeleteSubKeys(root, child.get(), childPath)) return false;
      DeleteValues(child.get(), counts.values);
    }
    if (!DeleteOpenedKey(child.get(), root, childPath)) return false;
  }
  return true;
}

}  // namespace

void deleteTree(const std::wstring& folder) {
  if (folder.empty()) return;
  const std::wstring path = WithoutTrailingBackslash(folder);
  const size_t cut = path.find_last_of(L'\\');
  WIN32_FIND_DATAW self;
  UniqueFind find(cut == std::wstring::npos ? INVALID_HANDLE_VALUE : ::FindFirstFileW(path.c_str(), &self));
  if (!find) {
    // A drive root or a folder that can't be looked up by name: only its contents can be walked.
    const UniqueHandle opened(::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    DeleteContents(opened.get(), path, FinalPathOfPath(folder));
    ::RemoveDirectoryW(path.c_str());
    return;
  }
  find.reset();
  if (!(self.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  const std::wstring parent = ParentOf(path, cut);
  DeleteEntry(JoinPath(parent, self.cFileName), FinalPathOfPath(parent), self.cFileName, true);
}

void deleteTree(const std::wstring& folder, UniqueHandle held) {
  if (folder.empty()) return;
  if (held) {
    // The path leads to the held folder and can't be made to lead elsewhere while it is held.
    const std::wstring path = WithoutTrailingBackslash(folder);
    DeleteContents(held.get(), path, FinalPathOfPath(path));
    // Our own deletion needs the delete sharing that the hold denies.
    held.reset();
  }
  deleteTree(folder);
}

namespace {

// `expectedFinal` null: the folder is taken as whatever it opens as.
void DeleteMatchingWith(const std::wstring& pattern, const std::wstring* expectedFinal) {
  const std::wstring path = WithoutTrailingBackslash(pattern);
  const size_t cut = path.find_last_of(L'\\');
  if (cut == std::wstring::npos || cut == 0) return;
  const std::wstring folder = WithoutTrailingBackslash(ParentOf(path, cut));
  const std::wstring spec = path.substr(cut + 1);
  const std::wstring folderFinal = FinalPathOfPath(ParentOf(path, cut));
  if (expectedFinal && (folderFinal.empty() || ::lstrcmpiW(folderFinal.c_str(), expectedFinal->c_str()) != 0)) return;
  WIN32_FIND_DATAW entry;
  UniqueFind find(::FindFirstFileW(path.c_str(), &entry));
  if (!find) return;
  do {
    if (!IsDotEntry(entry.cFileName) && MatchesLongName(entry.cFileName, spec.c_str())) {
      DeleteEntry(folder + L"\\" + entry.cFileName, folderFinal, entry.cFileName,
                  (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    }
  } while (::FindNextFileW(find.get(), &entry));
  // A folder named exactly like a pattern without wildcards was found above and went with its contents.
}

}  // namespace

void deleteMatching(const std::wstring& pattern) { DeleteMatchingWith(pattern, nullptr); }

void deleteMatchingIn(const std::wstring& pattern, const std::wstring& folderFinal) {
  DeleteMatchingWith(pattern, &folderFinal);
}

void deleteKeyTree(HKEY root, const std::wstring& path) {
  if (path.empty()) return;  // would be the whole hive
  // The Windows 9x family deletes a key with everything below it in one call.
  if (::GetVersion() & 0x80000000u) {
    ::RegDeleteKeyW(root, path.c_str());
    return;
  }
  UniqueKey key = OpenKey(root, path.c_str());
  if (!key) return;
  if (!IsLink(key.get())) {
    // After a stopped walk the key still has sub-keys, so deleting it fails and it stays.
    DeleteSubKeys(root, key.get(), path);
    DeleteValues(key.get(), CountsOf(key.get()).values);
  }
  DeleteOpenedKey(key.get(), root, path);
}

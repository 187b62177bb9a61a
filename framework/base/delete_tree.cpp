#include "framework/base/delete_tree.h"

#include <cwctype>
#include <vector>

#include "framework/base/handles.h"

namespace {

constexpr DWORD kMaxKeyName = 1000;   // characters of a sub-key name
constexpr DWORD kMaxValueName = 500;  // characters of a value name

bool IsDotEntry(const wchar_t* name) { return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0)); }

std::wstring WithoutTrailingBackslash(std::wstring path) {
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

// GetFinalPathNameByHandleW came with Vista; the systems before it have no symbolic links to tell apart.
using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);

FinalPathFunction FinalPathLookup() {
  static const FinalPathFunction function = reinterpret_cast<FinalPathFunction>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetFinalPathNameByHandleW")));
  return function;
}

// The normalized path of what `path` opens, a link at its end not followed, without a trailing backslash;
// empty when it can't be told.
std::wstring FinalPath(const std::wstring& path) {
  const FinalPathFunction finalPath = FinalPathLookup();
  if (!finalPath) return std::wstring();
  UniqueHandle entry(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!entry) return std::wstring();
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = finalPath(entry.get(), buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (length == 0) return std::wstring();
    if (length < buffer.size()) return WithoutTrailingBackslash(std::wstring(buffer.data(), length));
    buffer.resize(length + 1);
  }
}

enum class EntryKind {
  Plain,      // a file or folder of its own
  Link,       // a reparse point that opens as itself: removing it removes only the link
  Elsewhere,  // opens as another entry; every delete call would reach that one instead
};

// Wine shows a Unix symbolic link as its target: a linked folder with the reparse attribute, a linked file
// without it, and its delete calls remove the target (a linked empty folder, a linked file). Only the final
// path tells such an entry from the real thing.
EntryKind KindOf(const std::wstring& folderFinal, const std::wstring& path, const WIN32_FIND_DATAW& entry) {
  if (!folderFinal.empty()) {
    const std::wstring opened = FinalPath(path);
    const std::wstring own = folderFinal + L"\\" + entry.cFileName;
    if (!opened.empty() && ::lstrcmpiW(opened.c_str(), own.c_str()) != 0) return EntryKind::Elsewhere;
  }
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? EntryKind::Link : EntryKind::Plain;
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

void DeleteFolder(const std::wstring& folder, const std::wstring& folderFinal);

// One entry found in `folder`: plain folders go whole, plain files and links go themselves.
void DeleteEntry(const std::wstring& folder, const std::wstring& folderFinal, const WIN32_FIND_DATAW& entry) {
  const std::wstring path = folder + L"\\" + entry.cFileName;
  const EntryKind kind = KindOf(folderFinal, path, entry);
  if (kind == EntryKind::Elsewhere) return;
  if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ::DeleteFileW(path.c_str());  // attributes stay as they are: a read-only file is kept
  } else if (kind == EntryKind::Link) {
    ::RemoveDirectoryW(path.c_str());
  } else {
    DeleteFolder(path, folderFinal.empty() ? std::wstring() : folderFinal + L"\\" + entry.cFileName);
  }
}

void DeleteFolder(const std::wstring& folder, const std::wstring& folderFinal) {
  WIN32_FIND_DATAW entry;
  UniqueFind find(::FindFirstFileW((folder + L"\\*.*").c_str(), &entry));
  if (find) {
    do {
      if (!IsDotEntry(entry.cFileName)) DeleteEntry(folder, folderFinal, entry);
    } while (::FindNextFileW(find.get(), &entry));
  }
  find.reset();
  ::RemoveDirectoryW(folder.c_str());
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

// All names are read before the first deletion, since deleting renumbers the values.
void DeleteValues(HKEY root, const std::wstring& path, DWORD count) {
  UniqueKey key;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS, key.receive()) != ERROR_SUCCESS) return;
  std::vector<std::wstring> names;
  for (DWORD i = 0; i < count; ++i) {
    wchar_t name[kMaxValueName + 1];
    DWORD length = kMaxValueName + 1;
    if (::RegEnumValueW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return;
    names.emplace_back(name, length);
  }
  for (const std::wstring& name : names) {
    if (::RegDeleteValueW(key.get(), name.c_str()) != ERROR_SUCCESS) return;
  }
}

// Always takes sub-key 0: the ones before it are gone. Stopping at the first key that stays keeps this from
// looping on it.
bool DeleteSubKeys(HKEY root, HKEY key, const std::wstring& path) {
  const DWORD count = CountsOf(key).subKeys;
  for (DWORD i = 0; i < count; ++i) {
    wchar_t name[kMaxKeyName + 1];
    DWORD length = kMaxKeyName + 1;
    if (::RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return false;
    const std::wstring childPath = path + L"\\" + std::wstring(name, length);
    UniqueKey child;
    ::RegOpenKeyExW(key, name, 0, KEY_ALL_ACCESS, child.receive());
    const KeyCounts counts = CountsOf(child.get());
    if (counts.subKeys > 0 && !DeleteSubKeys(root, child.get(), childPath)) return false;
    DeleteValues(root, childPath, counts.values);
    child.reset();
    if (::RegDeleteKeyW(root, childPath.c_str()) != ERROR_SUCCESS) return false;
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
    DeleteFolder(path, FinalPath(folder));
    return;
  }
  find.reset();
  if (!(self.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  const std::wstring parent = ParentOf(path, cut);
  DeleteEntry(WithoutTrailingBackslash(parent), FinalPath(parent), self);
}

void deleteMatching(const std::wstring& pattern) {
  const std::wstring path = WithoutTrailingBackslash(pattern);
  const size_t cut = path.find_last_of(L'\\');
  if (cut == std::wstring::npos || cut == 0) return;
  const std::wstring folder = WithoutTrailingBackslash(ParentOf(path, cut));
  const std::wstring spec = path.substr(cut + 1);
  const std::wstring folderFinal = FinalPath(ParentOf(path, cut));
  WIN32_FIND_DATAW entry;
  UniqueFind find(::FindFirstFileW(path.c_str(), &entry));
  if (!find) return;
  do {
    if (!IsDotEntry(entry.cFileName) && MatchesLongName(entry.cFileName, spec.c_str())) {
      DeleteEntry(folder, folderFinal, entry);
    }
  } while (::FindNextFileW(find.get(), &entry));
  // A folder named exactly like a pattern without wildcards was found above and went with its contents.
}

void deleteKeyTree(HKEY root, const std::wstring& path) {
  if (path.empty()) return;  // would be the whole hive
  // The Windows 9x family deletes a key with everything below it in one call.
  if (::GetVersion() & 0x80000000u) {
    ::RegDeleteKeyW(root, path.c_str());
    return;
  }
  UniqueKey key;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS, key.receive()) != ERROR_SUCCESS) return;
  // After a stopped walk the key still has sub-keys, so deleting it fails and it stays.
  DeleteSubKeys(root, key.get(), path);
  DeleteValues(root, path, CountsOf(key.get()).values);
  key.reset();
  ::RegDeleteKeyW(root, path.c_str());
}

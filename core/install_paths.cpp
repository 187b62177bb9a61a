#include "core/install_paths.h"

#include <cwctype>

namespace {

// Every trailing backslash, not only the last: the folders here are compared whatever their number.
std::wstring WithoutTrailingBackslashes(std::wstring path) {
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

std::wstring Comparable(const std::wstring& path) {
  std::wstring out = WithoutTrailingBackslashes(path);
  for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return out;
}

}  // namespace

bool IsSameOrBelow(const std::wstring& path, const std::wstring& folder) {
  const std::wstring inner = Comparable(path);
  const std::wstring outer = Comparable(folder);
  if (outer.empty() || inner.compare(0, outer.size(), outer) != 0) return false;
  return inner.size() == outer.size() || inner[outer.size()] == L'\\';
}

bool NeedsOwnProtection(const std::wstring& outermostNew, const std::vector<std::wstring>& programFilesFolders) {
  for (const std::wstring& programFiles : programFilesFolders) {
    if (IsSameOrBelow(outermostNew, programFiles) && Comparable(outermostNew) != Comparable(programFiles)) return false;
  }
  return true;
}

void NoteCreatedFolder(std::wstring& createdFolder, const std::wstring& made) {
  if (made.empty() || IsSameOrBelow(made, createdFolder)) return;
  createdFolder = WithoutTrailingBackslashes(made);
}

std::vector<std::wstring> FoldersToTakeBack(const std::wstring& installFolder, const std::wstring& createdFolder) {
  std::vector<std::wstring> folders;
  if (!IsSameOrBelow(installFolder, createdFolder)) return folders;
  const size_t outermost = WithoutTrailingBackslashes(createdFolder).size();
  std::wstring folder = WithoutTrailingBackslashes(installFolder);
  for (;;) {
    folders.push_back(folder);
    if (folder.size() <= outermost) break;
    folder.resize(folder.find_last_of(L'\\'));
  }
  return folders;
}

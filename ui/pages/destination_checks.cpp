#include "ui/pages/destination_checks.h"

#include <cwctype>

#include "framework/base/path_text.h"

namespace {
// A folder that long cannot be created by the system; reject it before touching the disk.
constexpr size_t kMaxFolder = 259;
}  // namespace

std::wstring DrivePart(const std::wstring& path) {
  if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2);
  return std::wstring();
}

std::wstring DirectoryPart(const std::wstring& path) { return path.substr(DrivePart(path).size()); }

std::wstring FixedDriveString(const std::vector<std::wstring>& roots, const std::vector<bool>& fixed) {
  std::wstring out;
  for (size_t i = 0; i < roots.size() && i < fixed.size(); ++i) {
    if (fixed[i] && roots[i].size() >= 2) out += roots[i].substr(0, 2);
  }
  return out;
}

bool HasForbiddenCharacter(const std::wstring& directory) {
  return directory.find_first_of(L"<>*?\"|:/") != std::wstring::npos;
}

std::wstring Lower(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return out;
}

std::vector<std::wstring> FolderPrefixes(const std::wstring& folder) {
  std::vector<std::wstring> prefixes;
  const std::wstring lower = Lower(folder);
  for (size_t pos = lower.find(L'\\'); pos != std::wstring::npos; pos = lower.find(L'\\', pos + 1)) {
    prefixes.push_back(lower.substr(0, pos));
  }
  return prefixes;
}

DestinationCheck CheckAndCreateFolder(const std::wstring& folder, const std::wstring& fixedDrives, DirectoryOps& ops,
                                      std::wstring& existPath) {
  const std::wstring drive = Lower(DrivePart(folder));
  const std::wstring drives = Lower(fixedDrives);
  if (folder.size() > kMaxFolder || drive.empty() || drives.empty() || drives.find(drive) == std::wstring::npos) {
    return DestinationCheck::Rejected;
  }
  if (HasForbiddenCharacter(DirectoryPart(folder))) return DestinationCheck::Rejected;

  existPath.clear();
  bool made = false;
  for (const std::wstring& prefix : FolderPrefixes(folder)) {
    if (prefix == drive) continue;
    if (ops.Exists(prefix)) {
      existPath = prefix;
    } else if (!ops.Create(prefix, !made)) {
      return DestinationCheck::Rejected;
    } else {
      made = true;
    }
  }
  const std::wstring whole = WithoutTrailingBackslash(Lower(folder));
  return existPath == whole ? DestinationCheck::Existed : DestinationCheck::CreatedAskUser;
}

void RemoveCreatedFolders(const std::wstring& folder, const std::wstring& existPath, DirectoryOps& ops) {
  const std::vector<std::wstring> prefixes = FolderPrefixes(folder);
  const std::wstring drive = Lower(DrivePart(folder));
  for (auto it = prefixes.rbegin(); it != prefixes.rend(); ++it) {
    // existPath is empty when nothing below the drive existed: stop at the drive itself.
    if (*it == existPath || *it == drive) break;
    ops.Remove(*it);
  }
}

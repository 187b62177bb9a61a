#pragma once
// Checks of a typed install folder, and the creation of its missing directories, apart from any window.
#include <string>
#include <vector>

// The drive part of a path ("c:" of "c:\x"), as the C library splits it; empty when there is none.
std::wstring DrivePart(const std::wstring& path);
// The path after its drive part.
std::wstring DirectoryPart(const std::wstring& path);
// The two-character names of the fixed drives among the logical drive roots, run together ("c:d:").
std::wstring FixedDriveString(const std::vector<std::wstring>& roots, const std::vector<bool>& fixed);
// < > * ? " | : anywhere in the directory part, or a forward slash (the directories are created one
// backslash at a time, and a slash would make a step create more than one).
bool HasForbiddenCharacter(const std::wstring& directory);
std::wstring Lower(const std::wstring& text);
// Every prefix of `folder` before one of its backslashes, left to right, in lower case.
std::vector<std::wstring> FolderPrefixes(const std::wstring& folder);

class DirectoryOps {
 public:
  virtual ~DirectoryOps() = default;
  virtual bool Exists(const std::wstring& directory) = 0;
  // `outermost`: the first directory made for the folder, whose parent was there already.
  virtual bool Create(const std::wstring& directory, bool outermost) = 0;
  virtual void Remove(const std::wstring& directory) = 0;
};

enum class DestinationCheck {
  Rejected,       // kTextWrongDirectory: not a fixed drive, a bad character, too long, or a directory could not be made
  Existed,        // the whole folder was there already
  CreatedAskUser  // missing directories were created: ask whether that is wanted
};

// `folder` ends with a backslash. Fills existPath (lower case, no trailing backslash) with the deepest
// directory that already existed, and creates the missing ones under their lower-case names.
DestinationCheck CheckAndCreateFolder(const std::wstring& folder, const std::wstring& fixedDrives, DirectoryOps& ops,
                                      std::wstring& existPath);

// The user declined: removes, from the deepest up, the directories created above existPath.
void RemoveCreatedFolders(const std::wstring& folder, const std::wstring& existPath, DirectoryOps& ops);

#pragma once
// Work below a folder the setup installs into or removes from. Other users may have been able to change that
// folder before the setup ran (a folder outside the program-files folders inherits the drive root's rights), so
// nothing below it is created, written or deleted through a junction or symbolic link: the folder's own final
// path is taken once, at the first use, and an entry is used only when the handle it opened as (a link at its end
// not followed) has that final path plus the entry's own relative path (FinalPathOf; an entry or a base that can't
// be told is never used). A link above the folder (a program-files folder an administrator moved elsewhere, say)
// keeps working, since the base is where it leads.
#include <windows.h>

#include <string>

// What a copy did to the file it was given.
enum class FileChange {
  None,      // nothing: the file is as it was, or was not there and still isn't
  Created,   // a new file
  Replaced,  // a file that was there has been written (or, when the write failed, deleted)
};

class ConfinedFolder {
 public:
  ConfinedFolder() = default;
  // One trailing backslash is dropped. Relative paths below may start with a backslash or not.
  explicit ConfinedFolder(const std::wstring& folder);

  // folder\relative, for messages and records; the operations below take the relative path.
  std::wstring PathOf(const std::wstring& relative) const;

  // True when an entry of that name is there as itself (a file of the name counts, as it always did), or a
  // folder could be made there; never through a link.
  bool HaveFolder(const std::wstring& relative) const;

  // Copies `source` over the entry, read-only and hidden ones included. False when it can't (the last error
  // says why: a sharing violation for a file another program holds, ERROR_ACCESS_DENIED for an entry that is not
  // itself) and nothing elsewhere is touched; what a failed write left of the file is deleted.
  bool CopyOver(const std::wstring& source, const std::wstring& relative, FileChange* change = nullptr) const;

  // Takes read-only, hidden and system off a file; false for anything but a file that is itself.
  bool ClearAttributes(const std::wstring& relative) const;
  // A file, or a link as the link; a read-only file stays.
  bool RemoveFile(const std::wstring& relative) const;
  // An empty folder, or a link as the link.
  bool RemoveFolder(const std::wstring& relative) const;
  // deleteMatching for a pattern below, only when its folder is itself.
  void DeleteMatching(const std::wstring& relativePattern) const;

 private:
  enum class Entry { File, Folder, Link, Elsewhere };

  // Empty when the folder can't be told, which then matches nothing.
  const std::wstring& Base() const;
  Entry Judge(HANDLE opened, const std::wstring& relative) const;
  bool IsOwnFolder(const std::wstring& relative) const;
  // A file or an empty folder as `expected` says, or a link as the link.
  bool Remove(const std::wstring& relative, Entry expected) const;

  std::wstring folder_;
  mutable std::wstring base_;
  mutable bool baseTaken_ = false;
};

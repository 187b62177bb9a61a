#pragma once
// Decisions about the folders of the install path, apart from the disk: which folder the setup makes gets a
// protection of its own, and which folders a stopped install takes back.
#include <string>
#include <vector>

// Whether `path` is `folder` or lies below it, without regard to letter case or trailing backslashes. An empty
// folder holds nothing.
bool IsSameOrBelow(const std::wstring& path, const std::wstring& folder);

// Whether the outermost folder the setup makes for the install path needs a protection of its own: outside
// every program-files folder it would inherit the drive root's rights, inside one it inherits theirs.
bool NeedsOwnProtection(const std::wstring& outermostNew, const std::vector<std::wstring>& programFilesFolders);

// Notes `made`, the outermost folder one step made, in `createdFolder`, the outermost folder this run made for
// the install path: kept when it already holds `made`.
void NoteCreatedFolder(std::wstring& createdFolder, const std::wstring& made);

// The folders a stopped install removes once emptied, deepest first: the install folder and its parents up to and
// including `createdFolder`; nothing when this run made neither the install folder nor a folder above it.
std::vector<std::wstring> FoldersToTakeBack(const std::wstring& installFolder, const std::wstring& createdFolder);

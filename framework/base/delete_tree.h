#pragma once
// Deleting whole trees: a folder with everything below it, the entries that match a wildcard pattern, and a
// registry key with all its sub-keys and values. Nothing is reported: whatever can't be deleted stays.
// Junctions, symbolic links and other reparse points are never followed: a link is removed as a link, and one
// that can't be removed without touching its target stays. Each entry is judged and deleted through the one
// handle it was opened with, so an entry swapped for a link meanwhile is not followed either. An entry whose
// final path can't be told is left alone.
#include <windows.h>

#include <string>

#include "framework/base/handles.h"

// An empty folder deletes nothing. A trailing backslash is allowed. Read-only files are not touched, so they
// and the folders holding them stay.
void deleteTree(const std::wstring& folder);

// The same for a folder held open without delete sharing since it was made (the extraction folder): its
// contents go while it is still held, so nobody can swap it meanwhile; then the hold ends and the emptied
// folder goes. Without a hold, as above.
void deleteTree(const std::wstring& folder, UniqueHandle held);

// A path whose last part is a wildcard pattern ("...\*.lnk", "...\*.*"): matching files are deleted and
// matching folders deleted whole. The folder holding them stays. A pattern without a folder part (nothing
// before a backslash) deletes nothing.
void deleteMatching(const std::wstring& pattern);

// deleteMatching, but only when the pattern's folder opens as `folderFinal` (a final path, as FinalPathOf gives
// it): through a link it opens as something else, and nothing is deleted.
void deleteMatchingIn(const std::wstring& pattern, const std::wstring& folderFinal);

// root\path with every sub-key and value. An empty path deletes nothing. A sub-key that can't be deleted
// stops the walk, and the keys above it stay. A registry link goes as the link; the key it names stays.
void deleteKeyTree(HKEY root, const std::wstring& path);

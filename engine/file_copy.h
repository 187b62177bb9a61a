#pragma once
// The product's own files: from the extraction folder into the install folder.
#include <string>
#include <vector>

#include "core/install_context.h"

struct ProductFile {
  const wchar_t* source;       // name in the extraction folder
  const wchar_t* destination;  // name in the install folder
};

// The main program first, the readme (if any) last. In the language dialog's mode (2) the readme follows
// the language: English and French have their own, the other languages get none.
std::vector<ProductFile> ProductFileTable(int languageMode, int skinIndex);

// Makes sure a folder exists, creating missing parents first, outermost first. A bare drive (d: or d:\)
// and an empty path create nothing.
void EnsureFolder(const std::wstring& path);

// Appends a backslash unless the text already ends with one.
void AppendBackslash(std::wstring& path);

// Turns both folders of the options into their working form (extraction folder in its short 8.3 form,
// both with a trailing backslash), makes the install folder and copies the table, replacing read-only or
// hidden files. While the main program is in use, text 59 asks the user to close it, then the copy is tried
// again; another file in use keeps its installed copy. Any other failure (a full drive, a failed write, a
// missing source, no extraction folder at all) removes what the copy left of that file, shows text 119 with
// the destination's path and returns false at once: the files after it are not copied.
bool CopyProductFiles(InstallContext& context);

#pragma once
// The product's own files: from the extraction folder into the install folder.
#include <string>
#include <vector>

#include "core/install_context.h"
#include "engine/product_files.h"

// The copy step's rows of the product's files: the main program first, the readme (if any) last. In the
// language dialog's mode (2) the readme follows the language: English and French have their own, the other
// languages get none.
std::vector<ProductFile> ProductFileTable(int languageMode, int skinIndex);

// The system's program-files folders (CSIDL 38 and 42); a folder made inside one inherits its protection.
std::vector<std::wstring> ProgramFilesFolders();

// Makes one folder of the install path. The outermost one made for it (the first whose parent was there) gets
// the program-files folders' protection when it lies outside them (kProgramFilesSddl); without that descriptor
// it is not made at all.
bool MakeInstallPathFolder(const std::wstring& path, bool outermost);

// Makes sure a folder exists, creating missing parents first, outermost first, through MakeInstallPathFolder.
// A bare drive (d: or d:\) and an empty path create nothing. Returns the outermost folder it made, without a
// trailing backslash; empty when it made none.
std::wstring EnsureFolder(const std::wstring& path);

// Turns both folders of the options into their working form (extraction folder in its short 8.3 form,
// both with a trailing backslash), makes the install folder and copies the table, replacing read-only or
// hidden files; nothing is written through a link below the install folder. While the main program is in use,
// kTextCloseProgram asks the user to close it, then the copy is tried again; another file in use keeps its installed
// copy. An optional file the package lacks is left out. Any other failure (a full drive, a failed write, a missing
// required source, an entry that is a link, no extraction folder at all) stops the copy at once: what it left of that
// file, the files this run created and the folders it made (TakeBackInstallFolders) go again, kTextFileNotCopied names
// the destination's path, incompleteInstall tells whether files that were there before had been replaced, and the
// result is false.
bool CopyProductFiles(InstallContext& context);

// After a stopped install: removes, once empty, the install folder and the folders above it that this run made
// (createdFolder).
void TakeBackInstallFolders(const SetupOptions& options);

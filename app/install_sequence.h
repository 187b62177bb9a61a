#pragma once
// The install steps behind the progress page, run once: a failed step is reported or ignored by the step itself
// and never stops the ones after it, except the unpacking of the package and the copy of the product's own
// files, without which there is nothing to install.
#include <functional>
#include <string>

#include "core/install_context.h"
#include "framework/base/handles.h"

// Fills the extraction folder (with a trailing backslash) from the package and holds it open as ExtractPackage
// does; 1 on success, else the extraction's result code.
using ExtractStep = std::function<int(std::wstring& extractionFolder, UniqueHandle& hold)>;

// Extraction, install folder, product files, virtual printer, add-on components, OCR add-on, shortcuts and
// registry records, in that order; ends the progress display with 1032. A package that can't be unpacked stops
// it before anything is installed: kTextPackageNotUnpacked with the result code, what was unpacked deleted, and the
// display ended with Cancel, which leads to the Interrupted page. A product file that can't be copied whole stops it
// the same way after the copy's own kTextFileNotCopied: no printer, components, links or records. Either way the
// folders this run made for the install folder (and the files it created there) go again. Without an extract
// step the package resource of the running program is unpacked. `extractionHold` keeps the extraction folder
// from being swapped: the caller keeps it until it deletes the folder (a stopped sequence deletes it itself).
void RunInstallSequence(InstallContext& context, InstallProgress& progress, UniqueHandle& extractionHold,
                        const ExtractStep& extract = {});

// True when the folder is one fixed drive's designator ("d:"), in any letter case.
bool IsFixedDriveDesignator(const std::wstring& folder);

// Creates the folder, unless it names a bare fixed drive, and leaves it in the form the later steps take, without
// a trailing backslash. Returns the outermost folder it made (see EnsureFolder).
std::wstring PrepareInstallFolder(std::wstring& installFolder);

#pragma once
// The install steps behind the progress page, run once and always to the end: a failed step is
// reported or ignored by the step itself and never stops the ones after it.
#include <functional>
#include <string>

#include "core/install_context.h"

// Fills the extraction folder (with a trailing backslash) from the package.
using ExtractStep = std::function<void(std::wstring& extractionFolder)>;

// Extraction, install folder, product files, virtual printer, add-on components, OCR add-on, shortcuts and
// registry records, in that order; ends the progress display with 1032. Without an extract step the
// package resource of the running program is unpacked.
void RunInstallSequence(InstallContext& context, InstallProgress& progress, const ExtractStep& extract = {});

// True when the folder is one fixed drive's designator ("d:"), in any letter case.
bool IsFixedDriveDesignator(const std::wstring& folder);

// Appends the trailing backslash and creates the folder, unless it names a bare fixed drive.
void PrepareInstallFolder(std::wstring& installFolder);

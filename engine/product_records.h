#pragma once
// The installation's own registry records: the uninstall entry, the product key and the user's language.
#include <cstdint>
#include <string>

#include "core/install_context.h"
#include "core/setup_options.h"

// The root "version" of installFolder + "config.xml"; the setup's own version when the file is missing,
// unreadable, unparsable or has no version.
std::wstring ProductVersion(const std::wstring& installFolder);

// The language table's number of the installer language (English for an index outside 0 to 6).
uint16_t LanguageNumber(int skinIndex);

// The size in KB, rounded up, of the product's files under `folder`: whatever the table's steps may have put there,
// nothing else the folder holds.
uint32_t InstalledSizeKb(const std::wstring& folder);

// Writes every value, each on its own: a key that can't be opened loses only its value. The machine-wide
// records go to HKEY_LOCAL_MACHINE in the 32-bit program's view whatever the all-users choice. `text` gives
// the address the program list links to (kTextVendorFullAddress).
void WriteProductRecords(const SetupOptions& options, const TextLookup& text);

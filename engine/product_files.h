#pragma once
// The product's files: every name of the package that the setup uses, where each goes, which step installs it and
// whether the install can go on without it. The steps take their names from here and the packager checks a
// product folder against it, so a package can't lack a file every install needs without its maker hearing of it.
#include <string>
#include <vector>

// What installs a file. Its folder is relative to where that step installs: the install folder, unless said.
enum class FileStep {
  Copy,           // the product's own files
  PrinterDriver,  // the printer's driver, data and configuration files: the spooler's driver folder
  PrinterData,
  PrinterConfig,
  PrinterProxy,           // the printer's helper: the driver folder's version-3 folder
  PrinterProcessLibrary,  // system libraries the printer needs, only where the system lacks them: the system
  PrinterWmiLibrary,      // folder (this one its wbem folder when the system folder can't take it)
  WordAddin,
  CjkSupport,
  ImageDecoders,
  SpellCheck,
  BrowserPluginSetup,  // run where it was unpacked, never copied; the first one present
  BrowserPlugin,       // kept for the plug-in's later removal
  OnDemandPlugin,
  OnDemandDownloader,
  StandardStamps,
  SignHereStamps,
  LanguageFiles,
};

// When its step takes a file.
enum class FileCase {
  Always,
  WithoutLanguageDialog,  // readmes: the language dialog wasn't shown
  EnglishFromDialog,      // English or French chosen in the language dialog; the other languages get none
  FrenchFromDialog,
  System32,  // the printer's files for a 32-bit system and their counterparts for a 64-bit one
  System64,
  Japanese,  // stamps for the Japanese installer language and for every other one
  NotJapanese,
  EachLanguage,  // a family: the name followed by the suffix of each extra language installed
};

struct ProductFile {
  const wchar_t* name;         // in the package; for a family what comes before each language's suffix
  const wchar_t* folder;       // below the step's folder, with a trailing backslash; empty for the folder itself
  const wchar_t* installedAs;  // its name there when that differs from the package's; null otherwise
  FileStep step;
  FileCase when;
  bool required;  // the copy stops the install without it; a missing optional file is skipped
};

struct ProductFileRange {
  const ProductFile* first;
  const ProductFile* last;
  const ProductFile* begin() const { return first; }
  const ProductFile* end() const { return last; }
};

// Every row, the main program first.
ProductFileRange ProductFiles();
// The rows of one step (and case), in the table's order.
std::vector<ProductFile> ProductFilesOf(FileStep step);
std::vector<const wchar_t*> ProductFileNames(FileStep step, FileCase when = FileCase::Always);
// The first row of the step and case; one exists for every single file a step takes by name.
const ProductFile& ProductFileOf(FileStep step, FileCase when = FileCase::Always);

// Its name where it goes.
std::wstring InstalledName(const ProductFile& row, const std::wstring& suffix = std::wstring());
// Folder and installed name: relative to the step's folder.
std::wstring DestinationOf(const ProductFile& row, const std::wstring& suffix = std::wstring());
bool InstallsIntoInstallFolder(FileStep step);

// What a language's files are named after: its catalogue file from the first "_" on ("lang_fr_fr.xml"); the whole
// name when it has no "_".
std::wstring LanguageFileSuffix(const std::wstring& catalogueFile);
// That suffix for every language of the catalogue.
std::vector<std::wstring> LanguageFileSuffixes();
// Every package name a row stands for: its own, or one for each language of the catalogue.
std::vector<std::wstring> PackageNamesOf(const ProductFile& row);
// Every destination in the install folder that some step may install to, each once (the readmes share one).
std::vector<std::wstring> InstallFolderDestinations();

// A product folder's names against the table, compared as Windows does, without regard to case.
struct ProductFolderCheck {
  std::vector<std::string> missing;  // required files the folder lacks, in the table's order
  std::vector<std::string> unused;   // the folder's names that no step ever takes, in the folder's order
};
ProductFolderCheck CheckProductFolder(const std::vector<std::string>& names);

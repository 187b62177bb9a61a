#include "engine/file_copy.h"

#include <shlobj.h>

#include "core/install_paths.h"
#include "core/text_ids.h"
#include "framework/base/admin_only.h"
#include "framework/base/confined_folder.h"
#include "framework/base/handles.h"
#include "framework/base/path_text.h"

namespace {

bool AnyEntryIn(const std::wstring& folder) {
  const std::wstring pattern = WithTrailingBackslash(folder) + L"*.*";
  WIN32_FIND_DATAW data;
  UniqueFind find(::FindFirstFileW(pattern.c_str(), &data));
  return find.valid();
}

// The folder in its 8.3 form with a trailing backslash; the long form when the system can't give one.
void UseShortForm(std::wstring& folder) {
  folder = WithTrailingBackslash(folder);
  wchar_t shortForm[MAX_PATH];
  const DWORD length = ::GetShortPathNameW(folder.c_str(), shortForm, MAX_PATH);
  if (length > 0 && length < MAX_PATH) folder.assign(shortForm, length);
}

bool InUse(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

bool SourceMissing(const std::wstring& source) {
  return ::GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES && ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Whether another program holds the installed file, so that waiting for it makes sense. A source locked
// part-way reports the same codes, with the copy cut short: that is a failed copy.
bool DestinationInUse(const std::wstring& destination) {
  UniqueHandle probe(::CreateFileW(destination.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  return !probe.valid() && InUse(::GetLastError());
}

// What the copy did to the install folder so far, so that a stop can take back what this run created.
struct CopyRecord {
  std::vector<std::wstring> created;  // names of files that were not there before
  bool replaced = false;              // a file that was there before has been written
};

void TakeBackFiles(const ConfinedFolder& folder, const CopyRecord& record) {
  for (const std::wstring& name : record.created) folder.RemoveFile(name);
}

}  // namespace

std::vector<std::wstring> ProgramFilesFolders() {
  std::vector<std::wstring> folders;
  for (const int csidl : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86}) {
    wchar_t path[MAX_PATH] = L"";
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) && path[0]) {
      folders.push_back(path);
    }
  }
  return folders;
}

bool MakeInstallPathFolder(const std::wstring& path, bool outermost) {
  if (!outermost || !NeedsOwnProtection(path, ProgramFilesFolders())) {
    return ::CreateDirectoryW(path.c_str(), nullptr) != FALSE;
  }
  ProgramFilesSecurity security;
  return security.attributes() && ::CreateDirectoryW(path.c_str(), security.attributes());
}

std::vector<ProductFile> ProductFileTable(int languageMode, int skinIndex) {
  const auto takes = [&](FileCase when) {
    switch (when) {
      case FileCase::Always: return true;
      case FileCase::WithoutLanguageDialog: return languageMode != 2;
      case FileCase::EnglishFromDialog: return languageMode == 2 && skinIndex == 0;
      case FileCase::FrenchFromDialog: return languageMode == 2 && skinIndex == 1;
      default: return false;
    }
  };
  std::vector<ProductFile> table;
  for (const ProductFile& row : ProductFilesOf(FileStep::Copy)) {
    if (takes(row.when)) table.push_back(row);
  }
  return table;
}

std::wstring EnsureFolder(const std::wstring& path) {
  if (path.empty() || AnyEntryIn(path)) return std::wstring();
  // The parent ends at the last backslash before the final character; without one there is nothing to make
  // (a bare drive, or a name the search could not see).
  if (path.size() < 2) return std::wstring();
  const size_t cut = path.rfind(L'\\', path.size() - 2);
  if (cut == std::wstring::npos) return std::wstring();
  const std::wstring outer = EnsureFolder(path.substr(0, cut + 1));
  const bool outermost = outer.empty();
  if (!MakeInstallPathFolder(path, outermost)) return outer;
  return outermost ? WithoutTrailingBackslash(path) : outer;
}

void TakeBackInstallFolders(const SetupOptions& options) {
  for (const std::wstring& folder : FoldersToTakeBack(options.installFolder, options.createdFolder)) {
    ::RemoveDirectoryW(folder.c_str());  // only an empty one goes
  }
}

bool CopyProductFiles(InstallContext& context) {
  SetupOptions& options = context.options;
  // Without an extraction folder every source would be read from the root of the current drive.
  const bool haveSources = !options.extractionFolder.empty();
  const auto prepareFolders = [&] {
    if (haveSources) UseShortForm(options.extractionFolder);
    options.installFolder = WithTrailingBackslash(options.installFolder);
    NoteCreatedFolder(options.createdFolder, EnsureFolder(options.installFolder));
  };
  prepareFolders();
  const ConfinedFolder folder(options.installFolder);

  const std::vector<ProductFile> table = ProductFileTable(options.languageMode, options.SkinIndex);
  CopyRecord record;
  const auto fail = [&](const std::wstring& destination) {
    TakeBackFiles(folder, record);
    TakeBackInstallFolders(options);
    options.incompleteInstall = record.replaced ? 1 : 0;
    context.prompt.Ask(kTextFileNotCopied, MB_ICONERROR | MB_OK, PromptCaption::Wizard, destination);
    return false;
  };
  if (!haveSources) return fail(options.installFolder + DestinationOf(table.front()));

  for (size_t row = 0; row < table.size(); ++row) {
    const std::wstring relative = DestinationOf(table[row]);
    for (;;) {
      const std::wstring source = options.extractionFolder + table[row].name;
      const std::wstring destination = options.installFolder + relative;
      FileChange change = FileChange::None;
      const bool copied = folder.CopyOver(source, relative, &change);
      if (change == FileChange::Created && copied) record.created.push_back(relative);
      record.replaced = record.replaced || change == FileChange::Replaced;
      if (copied) break;
      const DWORD error = ::GetLastError();
      // The product runs without its readme or settings file; only a required one's absence stops it.
      if (!table[row].required && SourceMissing(source)) break;
      // A full drive or a failed write took what it left of the file with it; a missing source left nothing.
      if (!InUse(error) || !DestinationInUse(destination)) return fail(destination);
      // A file held by another program keeps its installed copy whole. Only the main program is worth waiting
      // for; a box that can't be shown must not spin forever.
      if (row != 0) break;
      if (context.prompt.Ask(kTextCloseProgram, MB_ICONWARNING | MB_OK) == 0) break;
      prepareFolders();
    }
  }
  return true;
}

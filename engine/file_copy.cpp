#include "engine/file_copy.h"

#include "core/text_ids.h"
#include "framework/base/handles.h"

namespace {

bool AnyEntryIn(const std::wstring& folder) {
  std::wstring pattern = folder;
  AppendBackslash(pattern);
  pattern += L"*.*";
  WIN32_FIND_DATAW data;
  UniqueFind find(::FindFirstFileW(pattern.c_str(), &data));
  return find.valid();
}

// The folder in its 8.3 form with a trailing backslash; the long form when the system can't give one.
void UseShortForm(std::wstring& folder) {
  AppendBackslash(folder);
  wchar_t shortForm[MAX_PATH];
  const DWORD length = ::GetShortPathNameW(folder.c_str(), shortForm, MAX_PATH);
  if (length > 0 && length < MAX_PATH) folder.assign(shortForm, length);
}

bool InUse(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

// Whether another program holds the installed file, so that waiting for it makes sense. A source locked
// part-way reports the same codes, with the copy cut short: that is a failed copy.
bool DestinationInUse(const std::wstring& destination) {
  UniqueHandle probe(::CreateFileW(destination.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  return !probe.valid() && InUse(::GetLastError());
}

// After a failed copy: when the source could be read, the copy reached the destination and whatever it wrote
// there goes (the system may leave a file cut short). An unreadable source never touched the destination, so
// a file installed before stays.
void DiscardPartialCopy(const std::wstring& source, const std::wstring& destination) {
  UniqueHandle readable(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
  if (!readable.valid()) return;
  ::SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileW(destination.c_str());
}

}  // namespace

void AppendBackslash(std::wstring& path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
}

std::vector<ProductFile> ProductFileTable(int languageMode, int skinIndex) {
  std::vector<ProductFile> table = {{L"Kelto Quorbel.exe", L"Kelto Quorbel.exe"},
                                    {L"Uninstall.exe", L"Uninstall.exe"},
                                    {L"config.xml", L"config.xml"}};
  if (languageMode != 2) {
    table.push_back({L"Readme.txt", L"Readme.txt"});
  } else if (skinIndex == 0) {
    table.push_back({L"Readme_ENG.txt", L"Readme.txt"});
  } else if (skinIndex == 1) {
    table.push_back({L"Readme_FR.txt", L"Readme.txt"});
  }
  return table;
}

void EnsureFolder(const std::wstring& path) {
  if (path.empty() || AnyEntryIn(path)) return;
  // The parent ends at the last backslash before the final character; without one there is nothing to make
  // (a bare drive, or a name the search could not see).
  if (path.size() < 2) return;
  const size_t cut = path.rfind(L'\\', path.size() - 2);
  if (cut == std::wstring::npos) return;
  EnsureFolder(path.substr(0, cut + 1));
  ::CreateDirectoryW(path.c_str(), nullptr);
}

bool CopyProductFiles(InstallContext& context) {
  SetupOptions& options = context.options;
  // Without an extraction folder every source would be read from the root of the current drive.
  const bool haveSources = !options.extractionFolder.empty();
  const auto prepareFolders = [&] {
    if (haveSources) UseShortForm(options.extractionFolder);
    AppendBackslash(options.installFolder);
    EnsureFolder(options.installFolder);
  };
  prepareFolders();

  const std::vector<ProductFile> table = ProductFileTable(options.languageMode, options.SkinIndex);
  const auto fail = [&](const std::wstring& destination) {
    context.prompt.Ask(kTextFileNotCopied, MB_ICONERROR | MB_OK, PromptCaption::Wizard, destination);
    return false;
  };
  if (!haveSources) return fail(options.installFolder + table.front().destination);

  for (size_t row = 0; row < table.size(); ++row) {
    for (;;) {
      const std::wstring source = options.extractionFolder + table[row].source;
      const std::wstring destination = options.installFolder + table[row].destination;
      ::SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (::CopyFileW(source.c_str(), destination.c_str(), FALSE)) break;
      if (!InUse(::GetLastError()) || !DestinationInUse(destination)) {
        // A full drive or a failed write leaves a truncated file behind; a missing source leaves nothing.
        DiscardPartialCopy(source, destination);
        return fail(destination);
      }
      // A file held by another program keeps its installed copy whole. Only the main program is worth waiting
      // for; a box that can't be shown must not spin forever.
      if (row != 0) break;
      if (context.prompt.Ask(kTextCloseProgram, MB_ICONWARNING | MB_OK) == 0) break;
      prepareFolders();
    }
  }
  return true;
}

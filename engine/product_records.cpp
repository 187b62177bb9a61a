#include "engine/product_records.h"

#include <windows.h>

#include <cwchar>

#include "framework/base/registry.h"
#include "engine/xml/xml_document.h"
#include "i18n/language_catalogue.h"
#include "core/text_ids.h"
#include "framework/base/file_access.h"
#include "framework/base/handles.h"
#include "framework/base/path_text.h"
#include "i18n/win_string_sources.h"

namespace {

uint64_t FileBytes(const std::wstring& folder, bool recurse) {
  uint64_t total = 0;
  WIN32_FIND_DATAW found;
  const UniqueFind search(::FindFirstFileW((folder + L"*").c_str(), &found));
  if (!search) return 0;
  do {
    const std::wstring name = found.cFileName;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      // Links to other folders are not the product's files.
      if (recurse && name != L"." && name != L".." && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        total += FileBytes(folder + name + L"\\", true);
      }
    } else {
      total += (uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
    }
  } while (::FindNextFileW(search.get(), &found));
  return total;
}

std::wstring TodayAsText() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  wchar_t text[16];
  swprintf(text, 16, L"%04u%02u%02u", unsigned{now.wYear}, unsigned{now.wMonth}, unsigned{now.wDay});
  return text;
}

}  // namespace

std::wstring ProductVersion(const std::wstring& installFolder) {
  std::string bytes;
  if (ReadWholeFile(Utf16(installFolder + L"config.xml"), bytes)) {
    const std::unique_ptr<XmlElement> root = XmlDocument::Parse(bytes);
    if (root) {
      const std::u16string version = root->AttrValue("version");
      if (!version.empty()) return Wide(version);
    }
  }
  return kSetupVersion;
}

uint32_t InstalledSizeKb(const std::wstring& folder) {
  const std::wstring path = WithTrailingBackslash(folder);
  // Installed into a drive's root, the product's files are mixed with everything else on the drive.
  const bool driveRoot = path.size() == 3 && path[1] == L':';
  const uint64_t kb = (FileBytes(path, !driveRoot) + 1023) / 1024;
  return kb > MAXDWORD ? MAXDWORD : static_cast<DWORD>(kb);
}

uint16_t LanguageNumber(int skinIndex) {
  if (skinIndex < 0 || skinIndex >= kInstallerLanguages) skinIndex = 0;
  // The English name, whatever language the texts are shown in.
  return LanguageCatalogue::IdOfName(LoadBuiltinString(kTextFirstLanguageName + skinIndex));
}

void WriteProductRecords(const SetupOptions& options, const TextLookup& text) {
  const std::wstring folder = WithTrailingBackslash(options.installFolder);
  const std::wstring program = folder + kMainProgram;
  const std::wstring uninstaller = folder + kUninstaller;
  const std::wstring publisher = L"Kelto Software Company";
  const std::wstring version = ProductVersion(folder);

  WriteRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", L"Kelto Quorbel");
  // Quoted: unquoted, a path with blanks lets the system try "C:\\Program.exe" and the like first.
  WriteRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString", L"\"" + uninstaller + L"\"");
  WriteRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayIcon", program);
  WriteRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallPath", uninstaller);
  WriteRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"Publisher", publisher);
  WriteRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion", version);
  // What the system's program list shows beside the name; the setup offers neither a change nor a repair.
  WriteRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation", folder);
  WriteRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallDate", TodayAsText());
  WriteRegistryDword(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize", InstalledSizeKb(folder));
  WriteRegistryDword(HKEY_LOCAL_MACHINE, kUninstallKey, L"NoModify", 1);
  WriteRegistryDword(HKEY_LOCAL_MACHINE, kUninstallKey, L"NoRepair", 1);
  WriteRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"URLInfoAbout", text(kTextVendorFullAddress));

  WriteRegistryString(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath", folder);
  WriteRegistryString(HKEY_LOCAL_MACHINE, kProductKey, L"ExistPath", options.existPath);
  WriteRegistryString(HKEY_LOCAL_MACHINE, kProductKey, L"Version", version);
  WriteRegistryString(HKEY_LOCAL_MACHINE, kProductKey, L"IsForAllUser", std::to_wstring(options.allUsers));

  // "%ud": the number followed by the letter d, which readers of the value expect.
  WriteRegistryString(HKEY_CURRENT_USER, kLanguageKey, L"langid",
                      std::to_wstring(unsigned{LanguageNumber(options.SkinIndex)}) + L"d");
}

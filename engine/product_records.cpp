#include "engine/product_records.h"

#include <windows.h>

#include <cwchar>

#include "framework/base/registry.h"
#include "engine/product_files.h"
#include "engine/xml/xml_document.h"
#include "i18n/language_catalogue.h"
#include "core/text_ids.h"
#include "framework/base/file_access.h"
#include "framework/base/handles.h"
#include "framework/base/path_text.h"
#include "i18n/win_string_sources.h"

namespace {

// The size of one installed file; 0 for anything else under its name (a folder, a link, nothing).
uint64_t FileBytes(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return 0;
  return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
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
  // Only the product's own files: the folder may be shared with anything else (a drive's root, Program Files).
  uint64_t bytes = 0;
  for (const std::wstring& destination : InstallFolderDestinations()) bytes += FileBytes(path + destination);
  const uint64_t kb = (bytes + 1023) / 1024;
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

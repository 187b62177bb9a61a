#include "engine/product_records.h"

#include <windows.h>

#include <cwchar>

#include "framework/base/registry.h"
#include "engine/xml/xml_document.h"
#include "i18n/language_catalogue.h"
#include "i18n/win_string_sources.h"

namespace {

constexpr unsigned kFirstLanguageName = 101;  // "English" .. "Chinese_Traditional" in the built-in table
constexpr int kInstallerLanguages = 7;

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::u16string Utf16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

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

uint16_t LanguageNumber(int skinIndex) {
  if (skinIndex < 0 || skinIndex >= kInstallerLanguages) skinIndex = 0;
  // The English name, whatever language the texts are shown in.
  return LanguageCatalogue::IdOfName(LoadBuiltinString(kFirstLanguageName + skinIndex));
}

void WriteProductRecords(const SetupOptions& options) {
  std::wstring folder = options.installFolder;
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  const std::wstring program = folder + L"Kelto Quorbel.exe";
  const std::wstring uninstaller = folder + L"Uninstall.exe";
  const std::wstring publisher = L"Kelto Software Company";
  const std::wstring version = ProductVersion(folder);

  WriteRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", L"Kelto Quorbel");
  WriteRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString", uninstaller);
  WriteRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayIcon", program);
  WriteRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallPath", uninstaller);
  WriteRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"Publisher", publisher);
  WriteRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion", version);

  WriteRegistryString(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath", folder);
  WriteRegistryString(HKEY_LOCAL_MACHINE, kProductKey, L"ExistPath", options.existPath);
  WriteRegistryString(HKEY_LOCAL_MACHINE, kProductKey, L"Version", version);
  WriteRegistryString(HKEY_LOCAL_MACHINE, kProductKey, L"IsForAllUser", std::to_wstring(options.allUsers));

  // "%ud": the number followed by the letter d, which readers of the value expect.
  WriteRegistryString(HKEY_CURRENT_USER, kLanguageKey, L"langid",
                      std::to_wstring(unsigned{LanguageNumber(options.SkinIndex)}) + L"d");
}

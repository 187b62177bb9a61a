#include "integration/component_registry.h"

#include "framework/base/file_access.h"
#include "framework/base/handles.h"
#include "framework/base/path_text.h"
#include "i18n/language_catalogue.h"
#include "core/text_ids.h"
#include "engine/product_files.h"
#include "i18n/win_string_sources.h"
#include "integration/language_config.h"
#include "integration/plugin_runner.h"

namespace {

constexpr wchar_t kSpellCheck[] = L"Kelto Spell Check Language";
constexpr wchar_t kSpellCheckVersion[] = L"1.0.2007.2023";
constexpr wchar_t kBrowserPlugin[] = L"Firefox Plugin";
constexpr wchar_t kBrowserPluginVersion[] = L"1.0.2009.0417";
constexpr wchar_t kOnDemandPlugin[] = L"RiRovozeVA";
constexpr wchar_t kOnDemandPluginVersion[] = L"1.0.2009.0813";

const std::vector<const wchar_t*> kDictionaries = ProductFileNames(FileStep::SpellCheck);
const std::vector<const wchar_t*> kCurlFiles = ProductFileNames(FileStep::OnDemandDownloader);
const wchar_t* const kPluginUninstaller = ProductFileOf(FileStep::BrowserPlugin).name;
const wchar_t* const kOnDemandLibrary = ProductFileOf(FileStep::OnDemandPlugin).name;

constexpr wchar_t kStamps[] = L"Stamps";
constexpr wchar_t kLanguage[] = L"language";
constexpr wchar_t kOcr[] = L"OCR";

constexpr wchar_t kOcrFolder[] = L"OCR Add-on\\";
constexpr wchar_t kOcrModule[] = L"KT_Abbyy_OCR.Dll";
constexpr wchar_t kUpdaterInfo[] = L"UpdaterInfo.xml";

std::wstring RecordKey(const wchar_t* component) { return std::wstring(kUpdatesListKey) + component; }

// The row's step among those that share the bar, from 1; 0 for a row outside them or not of the table.
int StepOf(const AddOnComponent& component) {
  int step = 0;
  for (const AddOnComponent& row : kAddOnComponents) {
    if (!row.ownStage) ++step;
    if (&row == &component) return row.ownStage ? 0 : step;
  }
  return 0;
}

// A search for exactly that name, so a file of the name counts too.
bool EntryExists(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  UniqueFind find(::FindFirstFileW(path.c_str(), &data));
  return find.valid();
}

}  // namespace

const ComponentRegistry::SingleFile ComponentRegistry::kCjkSupport{
    L"Eastern Asian Language Support", L"2.0.2.0914", ProductFileOf(FileStep::CjkSupport).name, L"Add name failed!"};
const ComponentRegistry::SingleFile ComponentRegistry::kImageDecoders{
    L"JPEG2000 and JBIG2 Image Decoders", L"2.0.2009.616", ProductFileOf(FileStep::ImageDecoders).name,
    L"Add Name failed!"};

ComponentRegistry::ComponentRegistry() { SetSetupFolder(Wide(RunningProgramFolder())); }

void ComponentRegistry::SetProgress(InstallProgress* progress, int start, int end) { range_ = {progress, start, end}; }
void ComponentRegistry::SetSourceFolder(const std::wstring& path) { sourceFolder_ = WithoutTrailingBackslash(path); }
void ComponentRegistry::SetInstallFolder(const std::wstring& path) {
  installFolder_ = WithoutTrailingBackslash(path);
  installed_ = ConfinedFolder(installFolder_);
}
void ComponentRegistry::SetAllUsers(int allUsers) { allUsers_ = allUsers; }
void ComponentRegistry::SetSkinIndex(int skinIndex) { skinIndex_ = skinIndex; }
void ComponentRegistry::SetSetupFolder(const std::wstring& path) { setupFolder_ = WithTrailingBackslash(path); }
void ComponentRegistry::SetFailureHook(FailureHook hook) { failureHook_ = std::move(hook); }

int ComponentRegistry::Install(const AddOnComponent& component) {
  step_ = StepOf(component);
  const int installed = (this->*component.install)();
  step_ = 0;
  if (!installed) component.remove(*this, false);
  return installed;
}

void ComponentRegistry::StepDone() const {
  if (step_ > 0) range_.Step(step_, kAddOnSteps);
}

void ComponentRegistry::ReportFailure(const std::wstring& message, const std::wstring& component) const {
  if (failureHook_) failureHook_(message, component);
}

int ComponentRegistry::WriteValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                                  const std::wstring& text) {
  UniqueKey key;
  if (::RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                        key.receive(), nullptr) != ERROR_SUCCESS) {
    return 0;
  }
  ::RegSetValueExW(key.get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  return 1;
}

// The record's values are all in the one key, so this takes them all; a missing key is no failure.
int ComponentRegistry::DeleteRecord(HKEY root, const std::wstring& keyPath) {
  ::RegDeleteKeyW(root, keyPath.c_str());
  return 1;
}

void ComponentRegistry::Record(const wchar_t* component, const std::wstring& valueName, const std::wstring& text,
                               const std::wstring& failure) {
  if (!WriteValue(HKEY_CURRENT_USER, RecordKey(component), valueName, text)) ReportFailure(failure, component);
}

bool ComponentRegistry::EnsureFolder(const wchar_t* relative, const wchar_t* failure, const wchar_t* component) {
  if (installed_.HaveFolder(relative)) return true;
  if (failure) ReportFailure(failure, component);
  return false;
}

bool ComponentRegistry::CopyIn(const std::wstring& from, const std::wstring& relative, const std::wstring& failure,
                               const wchar_t* component) {
  if (installed_.CopyOver(from, relative)) return true;
  if (!failure.empty()) ReportFailure(failure, component);
  return false;
}

void ComponentRegistry::DeleteIn(const std::wstring& relative, const std::wstring& failure, const wchar_t* component) {
  if (!installed_.RemoveFile(relative)) ReportFailure(failure, component);
}

void ComponentRegistry::RemoveFolderIn(const std::wstring& relative, const std::wstring& failure,
                                       const wchar_t* component) {
  if (!installed_.RemoveFolder(relative)) ReportFailure(failure, component);
}

// --- components 1 and 2 ---

int ComponentRegistry::InstallSingleFile(const SingleFile& component) {
  const std::wstring relative = std::wstring(L"\\") + component.file;
  Record(component.name, L"Name", component.name, component.nameFailure);
  Record(component.name, L"SetupPath", Installed(relative), L"Add SetupPath failed!");
  Record(component.name, L"Version", component.version, L"Add Version failed!");
  CopyIn(Source(component.file), relative, std::wstring(L"Copy ") + component.file + L" failed!", component.name);
  StepDone();
  return 1;
}

void ComponentRegistry::RemoveSingleFile(const SingleFile& component) {
  DeleteRecord(HKEY_CURRENT_USER, RecordKey(component.name));
  DeleteIn(std::wstring(L"\\") + component.file, std::wstring(L"Delete ") + component.file + L" failed!",
           component.name);
}

int ComponentRegistry::InstallCjkSupport() { return InstallSingleFile(kCjkSupport); }
int ComponentRegistry::RemoveCjkSupport() {
  RemoveSingleFile(kCjkSupport);
  return 1;
}
int ComponentRegistry::InstallImageDecoders() { return InstallSingleFile(kImageDecoders); }
int ComponentRegistry::RemoveImageDecoders() {
  RemoveSingleFile(kImageDecoders);
  return 1;
}

// --- component 3: spell-check dictionaries ---

int ComponentRegistry::InstallSpellCheck() {
  if (!EnsureFolder(L"\\lex", L"Create lex directory failed!", kSpellCheck)) return 0;
  Record(kSpellCheck, L"Name", kSpellCheck, L"Add Name failed!");
  Record(kSpellCheck, L"Version", kSpellCheckVersion, L"Add Version failed!");
  int number = 0;
  for (const wchar_t* file : kDictionaries) {
    const std::wstring relative = std::wstring(L"\\lex\\") + file;
    Record(kSpellCheck, L"SetupPath" + std::to_wstring(++number), Installed(relative), L"Add SetupPath failed!");
    CopyIn(Source(file), relative, L"Copy lex files failed!", kSpellCheck);
  }
  StepDone();
  return 1;
}

int ComponentRegistry::RemoveSpellCheck() {
  DeleteRecord(HKEY_CURRENT_USER, RecordKey(kSpellCheck));
  if (!EntryExists(Installed(L"\\lex\\*.*"))) ReportFailure(L"Find lex files failed!", kSpellCheck);
  for (const wchar_t* file : kDictionaries) {
    DeleteIn(std::wstring(L"\\lex\\") + file, L"Delete lex files failed!", kSpellCheck);
  }
  RemoveFolderIn(L"\\lex", L"Delete lex Directory failed!", kSpellCheck);
  return 1;
}

// --- component 4: browser plug-in ---

int ComponentRegistry::RunPluginInstaller(int install) {
  return RunPluginProgram(install, sourceFolder_, installFolder_,
                          [this](const std::wstring& message) { ReportFailure(message, kBrowserPlugin); });
}

int ComponentRegistry::InstallBrowserPlugin() {
  if (!EnsureFolder(L"\\plugins", L"Create plugins directory failed!", kBrowserPlugin)) return 0;
  Record(kBrowserPlugin, L"Name", kBrowserPlugin, L"Add Name failed!");
  Record(kBrowserPlugin, L"Version", kBrowserPluginVersion, L"Add Version failed!");
  if (!RunPluginInstaller(1)) return 0;
  // A later removal runs the uninstaller from the install folder.
  CopyIn(Source(kPluginUninstaller), std::wstring(L"\\") + kPluginUninstaller,
         std::wstring(L"Copy ") + kPluginUninstaller + L" failed!", kBrowserPlugin);
  StepDone();
  return 1;
}

int ComponentRegistry::RemoveBrowserPlugin(int runUninstaller) {
  DeleteRecord(HKEY_CURRENT_USER, RecordKey(kBrowserPlugin));
  if (runUninstaller == 1 && !RunPluginInstaller(0)) {
    ReportFailure(L"Uninstall firefox plugin failed!", kBrowserPlugin);
  }
  DeleteIn(L"\\Plugins\\npKeltoReaderPlugin.dll", L"Delete npKeltoReaderPlugin.dll failed!", kBrowserPlugin);
  DeleteIn(L"\\UninstallPDFReaderPlugin.exe", L"Delete UninstallPDFReaderPlugin.exe failed!", kBrowserPlugin);
  DeleteIn(L"\\UnPDFReaderPlugin.exe", L"Delete UnPDFReaderPlugin.exe failed!", kBrowserPlugin);
  RemoveFolderIn(L"\\Plugins\\RiRovozeVA", L"Delete RiRovozeVA failed!", kBrowserPlugin);
  RemoveFolderIn(L"\\Plugins", L"Delete Plugins Directory failed!", kBrowserPlugin);
  return 1;
}

// --- component 5: download plug-in ---

int ComponentRegistry::InstallOnDemandPlugin() {
  if (!EnsureFolder(L"\\plugins", L"Create plugins directory failed!", kOnDemandPlugin) ||
      !EnsureFolder(L"\\plugins\\RiRovozeVA", L"Create plugins RiRovozeVA directory failed!", kOnDemandPlugin) ||
      !EnsureFolder(L"\\plugins\\RiRovozeVA\\curl", L"Create plugins RiRovozeVA curl directory failed!",
                    kOnDemandPlugin)) {
    return 0;
  }
  // The plug-in's texts for the installer language (the language files' last row), then its downloader.
  std::vector<std::wstring> paths = {
      std::wstring(L"\\plugins\\RiRovozeVA\\") + kOnDemandLibrary,
      L"\\plugins\\RiRovozeVA\\" + InstalledName(ProductFilesOf(FileStep::LanguageFiles).back(),
                                                 LanguageSuffix(InstallerLanguageName(skinIndex_)))};
  for (const wchar_t* file : kCurlFiles) paths.push_back(std::wstring(L"\\plugins\\RiRovozeVA\\curl\\") + file);
  Record(kOnDemandPlugin, L"Name", kOnDemandPlugin, L"Add Name failed!");
  int number = 0;
  for (const std::wstring& path : paths) {
    const std::wstring valueName = L"SetupPath" + std::to_wstring(++number);
    Record(kOnDemandPlugin, valueName, Installed(path), L"Add " + valueName + L" failed!");
  }
  Record(kOnDemandPlugin, L"Version", kOnDemandPluginVersion, L"Add Version failed!");
  CopyIn(Source(kOnDemandLibrary), std::wstring(L"\\Plugins\\RiRovozeVA\\") + kOnDemandLibrary,
         std::wstring(L"Copy ") + kOnDemandLibrary + L" failed!", kOnDemandPlugin);
  for (const wchar_t* file : kCurlFiles) {
    CopyIn(Source(file), std::wstring(L"\\Plugins\\RiRovozeVA\\curl\\") + file,
           std::wstring(L"Copy ") + file + L" failed!", kOnDemandPlugin);
  }
  StepDone();
  return 1;
}

int ComponentRegistry::RemoveOnDemandPlugin() {
  DeleteRecord(HKEY_CURRENT_USER, RecordKey(kOnDemandPlugin));
  DeleteIn(std::wstring(L"\\Plugins\\RiRovozeVA\\") + kOnDemandLibrary,
           std::wstring(L"Delete ") + kOnDemandLibrary + L" failed!", kOnDemandPlugin);
  for (const wchar_t* file : kCurlFiles) {
    DeleteIn(std::wstring(L"\\Plugins\\RiRovozeVA\\curl\\") + file, std::wstring(L"Delete ") + file + L" failed!",
             kOnDemandPlugin);
  }
  RemoveFolderIn(L"\\Plugins\\RiRovozeVA\\curl", L"Delete Plugins RiRovozeVA curl Directory failed!", kOnDemandPlugin);
  RemoveFolderIn(L"\\Plugins\\RiRovozeVA", L"Delete Plugins RiRovozeVA Directory failed!", kOnDemandPlugin);
  RemoveFolderIn(L"\\Plugins", L"Delete Plugins Directory failed!", kOnDemandPlugin);
  return 1;
}

// --- stamps ---

int ComponentRegistry::InstallStamps() {
  if (!EnsureFolder(L"\\Stamps", nullptr, kStamps)) {
    ReportFailure(L"Create Stamps directory failed!", kStamps);
    return 0;
  }
  if (!EnsureFolder(L"\\Stamps\\Standard Stamps", nullptr, kStamps) ||
      !EnsureFolder(L"\\Stamps\\Sign Here", nullptr, kStamps)) {
    ReportFailure(L"Create Stamps default directory failed!", kStamps);
    return 0;
  }
  // Each stamp goes where the file table puts it.
  const FileCase set = skinIndex_ == kJapanese ? FileCase::Japanese : FileCase::NotJapanese;
  for (const FileStep step : {FileStep::StandardStamps, FileStep::SignHereStamps}) {
    for (const ProductFile& row : ProductFilesOf(step)) {
      if (row.when == set) CopyIn(Source(row.name), L"\\" + DestinationOf(row), L"Copy stamps files failed!", kStamps);
    }
  }
  StepDone();
  return 1;
}

// Only the stamp documents go: a folder that still holds the user's own files stays.
int ComponentRegistry::RemoveStamps() {
  installed_.DeleteMatching(L"\\Stamps\\Standard Stamps\\*.pdf");
  installed_.DeleteMatching(L"\\Stamps\\Sign Here\\*.pdf");
  RemoveFolderIn(L"\\Stamps\\Standard Stamps", L"Delete stamps default directory failed!", kStamps);
  RemoveFolderIn(L"\\Stamps\\Sign Here", L"Delete stamps default directory failed!", kStamps);
  RemoveFolderIn(L"\\Stamps", L"Delete stamps directory failed!", kStamps);
  return 1;
}

// --- language files ---

int ComponentRegistry::InstallLanguageFiles() {
  if (skinIndex_ == 0) return 1;  // English needs none
  if (!EnsureFolder(L"\\lang", nullptr, kLanguage)) {
    ReportFailure(L"Create language directory failed!", kLanguage);
    return 0;
  }
  std::string config;
  const std::wstring configPath = setupFolder_ + L"LangConfig.xml";
  if (ReadWholeFile(Utf16(configPath), config)) {
    for (const std::wstring& name : LanguagesOfConfig(config)) extraLanguages_.push_back(name);
  }
  for (const std::wstring& name : extraLanguages_) {
    const std::wstring suffix = LanguageSuffix(name);
    for (const ProductFile& row : ProductFilesOf(FileStep::LanguageFiles)) {
      CopyIn(Source(row.name + suffix), L"\\" + DestinationOf(row, suffix), L"Copy language files failed!", kLanguage);
    }
  }
  StepDone();
  return 1;
}

int ComponentRegistry::RemoveLanguageFiles() {
  installed_.DeleteMatching(L"\\lang\\*.xml");
  installed_.DeleteMatching(L"\\plugins\\RiRovozeVA\\*.xml");
  RemoveFolderIn(L"\\lang", L"Delete language directory failed!", kLanguage);
  return 1;
}

// --- OCR add-on: not in the package but in a folder beside the setup ---

int ComponentRegistry::InstallOcrAddon() {
  if (!EnsureFolder(L"\\plugins", nullptr, kOcr) || !EnsureFolder(L"\\plugins\\OCR", nullptr, kOcr) ||
      !EnsureFolder(L"\\plugins\\OCR\\KT_Abbyy_OCR", nullptr, kOcr)) {
    return 0;
  }
  const std::wstring addon = setupFolder_ + kOcrFolder;
  if (!CopyIn(addon + kOcrModule, std::wstring(L"\\plugins\\OCR\\") + kOcrModule, L"", kOcr)) return 0;
  if (!CopyIn(addon + kUpdaterInfo, std::wstring(L"\\") + kUpdaterInfo, L"", kOcr)) return 0;
  WIN32_FIND_DATAW entry;
  UniqueFind find(::FindFirstFileW((addon + L"*.*").c_str(), &entry));
  if (!find) return 1;
  do {
    const std::wstring name = entry.cFileName;
    if (name.empty() || name == L"." || name == L".." || ::lstrcmpiW(name.c_str(), L"KT_Abbyy_OCR.dll") == 0 ||
        ::lstrcmpiW(name.c_str(), kUpdaterInfo) == 0) {
      continue;
    }
    if (!CopyIn(addon + name, L"\\plugins\\OCR\\KT_Abbyy_OCR\\" + name, L"", kOcr)) return 0;
  } while (::FindNextFileW(find.get(), &entry));
  return 1;
}

int ComponentRegistry::RemoveOcrAddon() {
  installed_.DeleteMatching(L"\\plugins\\OCR\\KT_Abbyy_OCR\\*.*");
  RemoveFolderIn(L"\\plugins\\OCR\\KT_Abbyy_OCR", L"Delete OCR directory failed!", kOcr);
  DeleteIn(L"\\plugins\\OCR\\KT_Abbyy_OCR.Dll", L"Delete KT_Abbyy_OCR.Dll directory failed!", kOcr);
  DeleteIn(L"\\UpdaterInfo.xml", L"Delete UpdaterInfo.xml failed!", kOcr);
  RemoveFolderIn(L"\\plugins\\OCR", L"Delete OCR directory failed!", kOcr);
  return 1;
}

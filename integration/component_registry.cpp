#include "integration/component_registry.h"

#include "framework/base/file_access.h"
#include "framework/base/handles.h"
#include "framework/base/path_text.h"
#include "i18n/language_catalogue.h"
#include "core/text_ids.h"
#include "i18n/win_string_sources.h"
#include "integration/plugin_runner.h"

namespace {

constexpr int kSteps = 7;  // components 1-5, stamps, language files

constexpr wchar_t kSpellCheck[] = L"Kelto Spell Check Language";
constexpr wchar_t kSpellCheckVersion[] = L"1.0.2007.2023";
constexpr wchar_t kBrowserPlugin[] = L"Firefox Plugin";
constexpr wchar_t kBrowserPluginVersion[] = L"1.0.2009.0417";
constexpr wchar_t kOnDemandPlugin[] = L"RiRovozeVA";
constexpr wchar_t kOnDemandPluginVersion[] = L"1.0.2009.0813";

constexpr const wchar_t* kDictionaries[] = {L"accent.tlx", L"correct.tlx", L"ssceam.tlx", L"ssceam2.clx",
                                            L"sscebr.tlx", L"sscebr2.clx", L"ssceca.tlx", L"ssceca2.clx",
                                            L"tech.tlx",   L"userdic.tlx"};
constexpr const wchar_t* kCurlFiles[] = {L"curl.exe", L"libcurl.dll", L"libeay32.dll", L"libssl32.dll"};
constexpr wchar_t kPluginUninstaller[] = L"UnPDFReaderPlugin.exe";

std::wstring RecordKey(const wchar_t* component) { return std::wstring(kUpdatesListKey) + component; }

// A search for exactly that name, so a file of the name counts too.
bool EntryExists(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  UniqueFind find(::FindFirstFileW(path.c_str(), &data));
  return find.valid();
}

}  // namespace

std::wstring InstallerLanguageName(int skinIndex) {
  if (skinIndex < 0 || skinIndex >= kInstallerLanguages) return std::wstring();
  // Always the English name, whatever language the texts are shown in.
  return Wide(LoadBuiltinString(kTextFirstLanguageName + skinIndex));
}

std::wstring LanguageSuffix(const std::wstring& languageName) {
  const std::wstring file = Wide(LanguageCatalogue::FileOfName(Utf16(languageName)));
  const size_t underscore = file.find(L'_');
  return underscore == std::wstring::npos ? file : file.substr(underscore + 1);
}

const ComponentRegistry::SingleFile ComponentRegistry::kCjkSupport{L"Eastern Asian Language Support", L"2.0.2.0914",
                                                                   L"kpdfcjk.bin", L"Add name failed!"};
const ComponentRegistry::SingleFile ComponentRegistry::kImageDecoders{
    L"JPEG2000 and JBIG2 Image Decoders", L"2.0.2009.616", L"ktdecod1.dll", L"Add Name failed!"};

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

int ComponentRegistry::InstallSingleFile(const SingleFile& component, int step) {
  const std::wstring relative = std::wstring(L"\\") + component.file;
  Record(component.name, L"Name", component.name, component.nameFailure);
  Record(component.name, L"SetupPath", Installed(relative), L"Add SetupPath failed!");
  Record(component.name, L"Version", component.version, L"Add Version failed!");
  CopyIn(Source(component.file), relative, std::wstring(L"Copy ") + component.file + L" failed!", component.name);
  Step(step, kSteps);
  return 1;
}

void ComponentRegistry::RemoveSingleFile(const SingleFile& component) {
  DeleteRecord(HKEY_CURRENT_USER, RecordKey(component.name));
  DeleteIn(std::wstring(L"\\") + component.file, std::wstring(L"Delete ") + component.file + L" failed!",
           component.name);
}

int ComponentRegistry::InstallCjkSupport() { return InstallSingleFile(kCjkSupport, 1); }
int ComponentRegistry::RemoveCjkSupport() {
  RemoveSingleFile(kCjkSupport);
  return 1;
}
int ComponentRegistry::InstallImageDecoders() { return InstallSingleFile(kImageDecoders, 2); }
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
  Step(3, kSteps);
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
  CopyIn(Source(kPluginUninstaller), std::wstring(L"\\") + kPluginUninstaller, L"Copy UnPDFReaderPlugin.exe failed!",
         kBrowserPlugin);
  Step(4, kSteps);
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
  const std::wstring paths[] = {
      L"\\plugins\\RiRovozeVA\\OnDemandPlugin.dll",
      L"\\plugins\\RiRovozeVA\\OnDemandPlugin" + LanguageSuffix(InstallerLanguageName(skinIndex_)),
      L"\\plugins\\RiRovozeVA\\curl\\curl.exe",
      L"\\plugins\\RiRovozeVA\\curl\\libcurl.dll",
      L"\\plugins\\RiRovozeVA\\curl\\libeay32.dll",
      L"\\plugins\\RiRovozeVA\\curl\\libssl32.dll"};
  Record(kOnDemandPlugin, L"Name", kOnDemandPlugin, L"Add Name failed!");
  int number = 0;
  for (const std::wstring& path : paths) {
    const std::wstring valueName = L"SetupPath" + std::to_wstring(++number);
    Record(kOnDemandPlugin, valueName, Installed(path), L"Add " + valueName + L" failed!");
  }
  Record(kOnDemandPlugin, L"Version", kOnDemandPluginVersion, L"Add Version failed!");
  CopyIn(Source(L"OnDemandPlugin.dll"), L"\\Plugins\\RiRovozeVA\\OnDemandPlugin.dll",
         L"Copy OnDemandPlugin.dll failed!", kOnDemandPlugin);
  for (const wchar_t* file : kCurlFiles) {
    CopyIn(Source(file), std::wstring(L"\\Plugins\\RiRovozeVA\\curl\\") + file,
           std::wstring(L"Copy ") + file + L" failed!", kOnDemandPlugin);
  }
  Step(5, kSteps);
  return 1;
}

int ComponentRegistry::RemoveOnDemandPlugin() {
  DeleteRecord(HKEY_CURRENT_USER, RecordKey(kOnDemandPlugin));
  DeleteIn(L"\\Plugins\\RiRovozeVA\\OnDemandPlugin.dll", L"Delete OnDemandPlugin.dll failed!", kOnDemandPlugin);
  for (const wchar_t* file : kCurlFiles) {
    DeleteIn(std::wstring(L"\\Plugins\\RiRovozeVA\\curl\\") + file, std::wstring(L"Delete ") + file + L" failed!",
             kOnDemandPlugin);
  }
  RemoveFolderIn(L"\\Plugins\\RiRovozeVA\\curl", L"Delete Plugins RiRovozeVA curl Directory failed!", kOnDemandPlugin);
  RemoveFolderIn(L"\\Plugins\\RiRovozeVA", L"Delete Plugins RiRovozeVA Directory failed!", kOnDemandPlugin);
  RemoveFolderIn(L"\\Plugins", L"Delete Plugins Directory failed!", kOnDemandPlugin);
  return 1;
}

#include "app/setup_session.h"

#include <msi.h>
#include <shlobj.h>

#include "app/detection.h"
#include "core/page_result.h"
#include "engine/product_records.h"
#include "framework/base/file_access.h"
#include "framework/base/handles.h"
#include "framework/base/path_text.h"
#include "framework/base/registry.h"
#include "framework/base/system_library.h"
#include "i18n/win_string_sources.h"
#include "integration/component_registry.h"

SetupSession::SetupSession()
    : languagePage(*this),
      welcomePage(*this),
      existingVersionPage(*this),
      licenseAgreementPage(*this),
      installTypePage(*this),
      componentsPage(*this),
      destinationPage(*this),
      desktopSettingsPage(*this),
      summaryPage(*this),
      progressPage(*this),
      finishPage(*this),
      interruptedPage(*this),
      catalogue_(ReadWholeFile, LoadBuiltinString) {}

SetupSession::~SetupSession() = default;

bool SetupSession::InitInstance() {
  const bool msiProductInstalled = QueryMsiProductInstalled();
  Reset();
  if (!PreflightCheck()) return false;
  Detect();
  Dialog::SetDialogColours(RGB(255, 255, 255), RGB(0, 0, 0));
  if (options.languageMode == 2) languagePage.DoModal(nullptr);
  RunPageLoop(msiProductInstalled);
  return false;
}

bool SetupSession::QueryMsiProductInstalled() {
  using QueryProductStateFn = INSTALLSTATE(WINAPI*)(LPCWSTR);
  const UniqueModule msi(LoadSystemLibrary(L"msi.dll"));
  // By ordinal 113, as the installer service has always exported MsiQueryProductStateW.
  const auto query = FindEntry<QueryProductStateFn>(msi.get(), MAKEINTRESOURCEA(113));
  return query && query(kProductCode) == INSTALLSTATE_DEFAULT;
}

int SetupSession::LoadInstallerLanguage() {
  const int skin = catalogue_.LoadAtStartup(RunningProgramFolder(), UserWizardLanguage());
  // A second load is refused with -1; the language already chosen stays.
  return skin >= 0 ? skin : options.SkinIndex;
}

void SetupSession::Reset() {
  const int skin = LoadInstallerLanguage();
  wchar_t programFiles[MAX_PATH] = L"";
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles))) {
    programFiles[0] = 0;
  }
  ResetOptions(options, skin, catalogue_.languageMode(), programFiles);
}

int SetupSession::Detect() {
  const bool wow64 = DetectWow64() == 1;
  DetectionInput found;
  found.installPath = ReadRegistryString(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath", L"");
  found.version = ReadRegistryString(HKEY_LOCAL_MACHINE, kProductKey, L"Version", L"");
  // A record written by a 64-bit installation is only in the 64-bit view.
  if (wow64 && found.installPath.empty()) {
    found.installPath = ReadRegistryString64(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath", L"");
  }
  if (wow64 && found.version.empty()) {
    found.version = ReadRegistryString64(HKEY_LOCAL_MACHINE, kProductKey, L"Version", L"");
  }
  const DetectionResult result = EvaluateInstallation(found, options.setupVersion, [](const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  });
  if (result.existingState > 0) {
    options.existingState = result.existingState;
    options.uninstallViaPipe = result.uninstallViaPipe;
    options.installFolder = result.installFolder;
  }
  return 0;
}

std::wstring SetupSession::Text(unsigned id) const { return Wide(catalogue_.text(id)); }

std::vector<std::wstring> SetupSession::ComponentNames() const {
  std::vector<std::wstring> names;
  for (const AddOnComponent& component : kAddOnComponents) {
    if (component.pageName) names.push_back(component.pageName);
  }
  return names;
}

Dialog* SetupSession::PageOf(PageState state) {
  Dialog* const pages[] = {&welcomePage,    &existingVersionPage, &licenseAgreementPage, &installTypePage,
                           &componentsPage, &destinationPage,     &desktopSettingsPage,  &summaryPage,
                           &progressPage,   &finishPage,          &interruptedPage,      nullptr};
  static_assert(sizeof(pages) / sizeof(pages[0]) == kPageStateCount, "one page per state, End showing none");
  const auto index = static_cast<unsigned>(state);
  return index < kPageStateCount ? pages[index] : nullptr;
}

void SetupSession::RunPageLoop(bool msiProductInstalled) {
  FlowFields fields;
  fields.msiProductInstalled = msiProductInstalled;
  PageState state = PageState::Welcome;
  while (state != PageState::End) {
    Dialog* page = PageOf(state);
    const int code = static_cast<int>(page->DoModal(nullptr));
    fields.existingState = options.existingState;
    fields.uninstallViaPipe = options.uninstallViaPipe;
    fields.defaultInstall = options.defaultInstall;
    state = NextPage(state, code, fields, *this);
    options.existingState = fields.existingState;
    options.uninstallViaPipe = fields.uninstallViaPipe;
    options.defaultInstall = fields.defaultInstall;
  }
}

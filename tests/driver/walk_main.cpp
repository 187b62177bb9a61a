// walk.exe: the demo's automatic walk through the wizard.
//   walk.exe [default|custom|cancel|upgrade] [screenshot folder]
// upgrade: installs, marks that installation as an earlier release, then runs the setup again, which removes
// the earlier release itself and installs this one.
#include <cstdio>
#include <cwchar>

#include "resources/ids.h"
#include "tests/driver/walk.h"

namespace {

const wchar_t kEarlierRelease[] = L"1.5.0.0100";
const wchar_t kCustomFolder[] = L"D:\\Programs\\Kelto Quorbel";

// The first run of --upgrade: the default route with the product left closed, then the record set back to an
// earlier release, as that release's own setup would have left it.
int InstallEarlierRelease(const std::wstring& shots) {
  gui::Driver driver;
  if (!driver.Start(gui::StageSetup(gui::JoinPath(gui::ModuleFolder(), L"setup.exe")))) return 2;
  gui::WalkResult result = gui::Walk(driver, gui::kDefaultToInstall, gui::JoinPath(shots, L"earlier"));
  HWND finish = result.ok ? driver.WaitForNamedPage("Finish", 120000) : nullptr;
  if (!finish) {
    std::printf("first install failed: %s\n", result.ok ? "no finish page" : result.error.c_str());
    driver.Kill();
    return 1;
  }
  if (gui::Driver::IsChecked(finish, IDC_FINISH_RUN)) gui::Driver::Click(finish, IDC_FINISH_RUN);
  ::Sleep(200);
  gui::Driver::Click(finish, IDC_FINISH_FINISH);
  if (!driver.WaitForExit(60000)) {
    driver.Kill();
    return 1;
  }
  HKEY key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Kelto Software\\Kelto Quorbel", 0, KEY_SET_VALUE, &key) !=
      ERROR_SUCCESS) {
    std::printf("first install left no product record\n");
    return 1;
  }
  ::RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(kEarlierRelease), sizeof(kEarlierRelease));
  ::RegCloseKey(key);
  std::printf("installed, then recorded as release %ls\n", kEarlierRelease);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring route = argc > 1 ? argv[1] : L"default";
  const std::wstring shots = argc > 2 ? argv[2] : gui::JoinPath(gui::ModuleFolder(), L"screenshots\\demo");
  std::vector<gui::Step> steps;
  std::vector<gui::Step> afterDestination;
  if (route == L"custom") {
    steps = {gui::kWelcomeNext, gui::kLicenceAgree, gui::kTypeCustom};
    afterDestination = {gui::kDesktopNext, gui::kSummaryInstall, {"Progress", 0}, gui::kFinishFinish};
  } else if (route == L"upgrade") {
    if (int failed = InstallEarlierRelease(shots)) return failed;
    steps = {gui::kWelcomeNext,  {"Existing", IDC_EXISTING_NEXT},
             gui::kLicenceAgree, gui::kTypeDefault,
             gui::kDesktopNext,  gui::kSummaryInstall,
             {"Progress", 0},    gui::kFinishFinish};
  } else if (route == L"cancel") {
    steps = {gui::kWelcomeNext};
  } else {
    steps = gui::DefaultToInstallThen({{"Progress", 0}, gui::kFinishFinish});
  }
  gui::Driver driver;
  const std::wstring setup = gui::StageSetup(gui::JoinPath(gui::ModuleFolder(), L"setup.exe"));
  if (!driver.Start(setup)) {
    std::printf("could not start %ls (error %lu)\n", setup.c_str(), ::GetLastError());
    return 2;
  }
  // With a language list the language dialog comes first: keep what it preselected.
  std::vector<gui::Step> route_steps = steps;
  if (HWND first = driver.WaitForPage(); first && driver.lastPage() == "Language") {
    route_steps.insert(route_steps.begin(), gui::Step{"Language", IDC_LANGUAGE_OK});
  }
  gui::WalkResult result = gui::Walk(driver, route_steps, shots);
  if (result.ok && route == L"custom") {
    // Another folder on another fixed drive; the setup asks before it creates it.
    result.error = gui::ChooseNewFolder(driver, kCustomFolder, gui::JoinPath(shots, L"04-Destination.png"));
    result.ok = result.error.empty();
    if (result.ok) {
      result.route.push_back("Destination");
      gui::WalkResult rest = gui::Walk(driver, afterDestination, gui::JoinPath(shots, L"after-destination"));
      result.ok = rest.ok;
      result.error = rest.error;
      result.route.insert(result.route.end(), rest.route.begin(), rest.route.end());
    }
  }
  if (result.ok && route == L"cancel") {
    // Disagree asks whether to cancel; Yes leads to the Interrupted page.
    if (HWND licence = driver.WaitForNamedPage("Licence")) {
      result.route.push_back("Licence");
      gui::Driver::Click(licence, IDC_LICENCE_DISAGREE);
      if (HWND box = driver.WaitForMessageBox()) gui::Driver::Answer(box, IDYES);
      gui::WalkResult rest = gui::Walk(driver, {gui::kInterruptedFinish}, shots);
      result.ok = rest.ok;
      result.error = rest.error;
      result.route.insert(result.route.end(), rest.route.begin(), rest.route.end());
    }
  }
  std::printf("route:");
  for (const std::string& page : result.route) std::printf(" %s", page.c_str());
  std::printf("\n");
  if (!result.ok) {
    std::printf("walk failed: %s\n", result.error.c_str());
    driver.Kill();
    return 1;
  }
  DWORD code = 0;
  if (!driver.WaitForExit(30000, &code)) {
    std::printf("setup did not end\n");
    driver.Kill();
    return 1;
  }
  std::printf("screenshots: %ls\n", shots.c_str());
  return 0;
}

// walk.exe: the demo's automatic walk through the wizard.
//   walk.exe [default|custom|cancel] [screenshot folder]
#include <cstdio>
#include <cwchar>

#include "tests/driver/walk.h"

int wmain(int argc, wchar_t** argv) {
  const std::wstring route = argc > 1 ? argv[1] : L"default";
  const std::wstring shots = argc > 2 ? argv[2] : gui::JoinPath(gui::ModuleFolder(), L"screenshots\\demo");
  std::vector<gui::Step> steps;
  if (route == L"custom") {
    steps = {{"Welcome", 1114}, {"Licence", 1206}, {"Type", 1304},  {"Destination", 1412},
             {"Desktop", 1510}, {"Summary", 1606}, {"Progress", 0}, {"Finish", 1707}};
  } else if (route == L"cancel") {
    steps = {{"Welcome", 1114}};
  } else {
    steps = {{"Welcome", 1114}, {"Licence", 1206}, {"Type", 1303},  {"Desktop", 1510},
             {"Summary", 1606}, {"Progress", 0},   {"Finish", 1707}};
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
    route_steps.insert(route_steps.begin(), gui::Step{"Language", 1003});
  }
  gui::WalkResult result = gui::Walk(driver, route_steps, shots);
  if (result.ok && route == L"cancel") {
    // Disagree asks whether to cancel; Yes leads to the Interrupted page.
    if (HWND licence = driver.WaitForNamedPage("Licence")) {
      result.route.push_back("Licence");
      gui::Driver::Click(licence, 1207);
      if (HWND box = driver.WaitForMessageBox()) gui::Driver::Answer(box, IDYES);
      gui::WalkResult rest = gui::Walk(driver, {{"Interrupted", 1807}}, shots);
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

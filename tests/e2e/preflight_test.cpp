// Start-up: refusals (the message comes alone, and no page is ever shown), the DLLs it loads and the folder it
// leaves.
#include <gtest/gtest.h>

#include "tests/driver/system_state.h"
#include "tests/driver/walk.h"

namespace {

using gui::Driver;

// Wine reports an older Windows to one program when its AppDefaults say so.
class OldWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Version", REG_SZ, L"nt40", 10), ERROR_SUCCESS);
  }
  void TearDown() override { ::RegDeleteKeyW(HKEY_CURRENT_USER, kKey); }
  static constexpr const wchar_t* kKey = L"Software\\Wine\\AppDefaults\\setup.exe";
};

TEST_F(OldWindows, MajorVersionFourShowsText65AndNoPage) {
  Driver driver;
  ASSERT_TRUE(driver.Start(gui::StageSetup(gui::JoinPath(gui::ModuleFolder(), L"setup.exe"))));
  HWND box = driver.WaitForMessageBox();
  ASSERT_NE(box, nullptr) << "no message; page seen: " << driver.lastPage();
  EXPECT_EQ(Driver::MessageText(box), L"Kelto Quorbel Printer only supports Windows 2000 or later. Setup will end.");
  EXPECT_EQ(Driver::Caption(box), L"Kelto Quorbel Install Wizard");
  EXPECT_EQ(driver.WaitForPage(100), nullptr);
  Driver::Screenshot(box, gui::JoinPath(gui::ModuleFolder(), L"screenshots\\e2e\\OldWindows\\text65.png"));
  Driver::Answer(box, IDOK);
  DWORD code = 0;
  EXPECT_TRUE(driver.WaitForExit(20000, &code));
  EXPECT_TRUE(driver.lastPage().empty()) << "a page was shown: " << driver.lastPage();
}

// Runs a program and waits for it; its exit code, or -1 when it did not start.
int RunAndWait(std::wstring commandLine) {
  STARTUPINFOW startup{sizeof(startup)};
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return -1;
  }
  ::WaitForSingleObject(info.hProcess, 20000);
  DWORD code = 0;
  ::GetExitCodeProcess(info.hProcess, &code);
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return static_cast<int>(code);
}

// A DLL planted beside the setup under the name of one it loads at start-up, and the folder itself. The per-program
// override makes Wine take a file from the program's folder first, as Windows does for a DLL that is not a known one; a
// plain loader in the same folder shows that it does.
TEST(PlantedDll, BesideTheSetupItIsNeverLoaded) {
  const std::wstring mark = L"C:\\kelto\\planted-dll-loaded.txt";
  const std::wstring planted = L"C:\\kelto\\msi.dll";
  gui::ForgetInstallation();
  const std::wstring setup = gui::StageSetup(gui::JoinPath(gui::ModuleFolder(), L"setup.exe"));
  const std::wstring loader = gui::StageSetup(gui::JoinPath(gui::ModuleFolder(), L"plain_loader.exe"));
  ASSERT_TRUE(::CopyFileW(gui::JoinPath(gui::ModuleFolder(), L"planted\\msi.dll").c_str(), planted.c_str(), FALSE));
  // Wine does not pass WINEDLLOVERRIDES set by a Windows program on to its children; its per-program
  // settings in the registry are read by every process.
  const std::wstring appDefaults = L"Software\\Wine\\AppDefaults\\";
  for (const wchar_t* program : {L"setup.exe", L"plain_loader.exe"}) {
    ASSERT_TRUE(
        sys::WriteValue(HKEY_CURRENT_USER, appDefaults + program + L"\\DllOverrides", L"msi", L"native,builtin"));
  }

  ::DeleteFileW(mark.c_str());
  EXPECT_EQ(RunAndWait(L"\"" + loader + L"\""), 0);
  EXPECT_TRUE(sys::Exists(mark)) << "the override did not put the program's folder first";

  ::DeleteFileW(mark.c_str());
  Driver driver;
  ASSERT_TRUE(driver.Start(setup));
  // By the first page the start-up, the installer-service query included, is over.
  EXPECT_NE(driver.WaitForNamedPage("Welcome"), nullptr) << "last page: " << driver.lastPage();
  EXPECT_FALSE(sys::Exists(mark)) << "the setup loaded the DLL planted beside it";
  // Started in its own folder, as a double click starts it, it has left that folder for the system folder, and
  // what it starts looks for no program in the current folder.
  wchar_t system[MAX_PATH] = L"";
  ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
  EXPECT_TRUE(sys::SameText(sys::ProcessCurrentFolder(driver.process()), system))
      << sys::Narrow(sys::ProcessCurrentFolder(driver.process()));
  EXPECT_EQ(sys::ProcessEnvironmentValue(driver.process(), L"NoDefaultCurrentDirectoryInExePath"), L"1");
  driver.Kill();
  ::DeleteFileW(planted.c_str());
  ::DeleteFileW(mark.c_str());
  for (const wchar_t* program : {L"setup.exe", L"plain_loader.exe"})
    sys::DeleteKey(HKEY_CURRENT_USER, appDefaults + program);
}

}  // namespace

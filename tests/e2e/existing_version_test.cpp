// An earlier installation's record decides whether the existing-version page comes, and what it says.
#include <gtest/gtest.h>

#include <cstdio>

#include "resources/ids.h"
#include "tests/driver/walk.h"

namespace {

using gui::Driver;

const wchar_t kOldFolder[] = L"C:\\Old Quorbel";

class ExistingVersion : public ::testing::Test {
 protected:
  void SetUp() override { gui::ForgetInstallation(); }
  void TearDown() override {
    driver_.Kill();
    gui::ForgetInstallation();
    ::DeleteFileW((std::wstring(kOldFolder) + L"\\Kelto Quorbel.exe").c_str());
    ::RemoveDirectoryW(kOldFolder);
  }
  // The record an earlier setup leaves, with its program file when `withProgram`.
  static void Seed(const wchar_t* version, bool withProgram = true) {
    HKEY key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Kelto Software\\Kelto Quorbel", 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring path = kOldFolder;
    ::RegSetValueExW(key, L"InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                     static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    ::RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                     static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    ::CreateDirectoryW(kOldFolder, nullptr);
    if (withProgram) {
      FILE* f = _wfopen((path + L"\\Kelto Quorbel.exe").c_str(), L"wb");
      ASSERT_NE(f, nullptr);
      fclose(f);
    }
  }
  HWND Start() {
    EXPECT_TRUE(driver_.Start(gui::StageSetup(gui::JoinPath(gui::ModuleFolder(), L"setup.exe"))));
    HWND welcome = driver_.WaitForNamedPage("Welcome");
    EXPECT_NE(welcome, nullptr);
    Driver::Click(welcome, IDC_WELCOME_NEXT);
    EXPECT_TRUE(Driver::WaitGone(welcome));
    HWND page = driver_.WaitForPage();
    EXPECT_NE(page, nullptr);
    return page;
  }
  Driver driver_;
};

TEST_F(ExistingVersion, EachStateHasItsText) {
  struct Case {
    const wchar_t* version;
    const wchar_t* text;
  } cases[] = {
      {L"2.2.4.0225",
       L"The same version has been installed in your computer. To continue installing, please close "
       L"all related applications, and click Next to continue."},
      {L"2.2.4.0300",
       L"A new version has been installed in your computer. To continue installing, please close all "
       L"related applications, and click Next to continue."},
      {L"2.2.3.0100",
       L"An old version has been installed in your computer. To continue installing, please close all "
       L"related applications, and click Next to continue."},
  };
  for (const Case& c : cases) {
    Seed(c.version);
    HWND page = Start();
    ASSERT_EQ(driver_.lastPage(), "Existing");
    EXPECT_EQ(Driver::ItemText(page, IDC_EXISTING_TEXT), c.text);
    Driver::Screenshot(page, gui::JoinPath(gui::ModuleFolder(),
                                           L"screenshots\\e2e\\ExistingVersion\\" + std::wstring(c.version) + L".png"));
    // Back returns to the welcome page, which leads here again.
    Driver::Click(page, IDC_EXISTING_BACK);
    ASSERT_TRUE(Driver::WaitGone(page));
    HWND welcome = driver_.WaitForNamedPage("Welcome");
    ASSERT_NE(welcome, nullptr);
    Driver::CloseBox(welcome);
    HWND box = driver_.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    Driver::Answer(box, IDYES);
    HWND interrupted = driver_.WaitForNamedPage("Interrupted");
    ASSERT_NE(interrupted, nullptr);
    Driver::Click(interrupted, IDC_INTERRUPTED_FINISH);
    EXPECT_TRUE(driver_.WaitForExit(20000));
  }
}

TEST_F(ExistingVersion, RecordWithoutItsProgramIsIgnored) {
  Seed(L"2.2.4.0225", false);
  Start();
  EXPECT_EQ(driver_.lastPage(), "Licence");
}

TEST_F(ExistingVersion, RecordWithoutVersionIsIgnored) {
  Seed(L"");
  Start();
  EXPECT_EQ(driver_.lastPage(), "Licence");
}

}  // namespace

// Start-up refusals: the message comes alone, and no page is ever shown.
#include <gtest/gtest.h>

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
  EXPECT_EQ(Driver::MessageText(box),
            L"Kelto Quorbel Printer only supports Windows 2000 or later. Setup will end.");
  EXPECT_EQ(Driver::Caption(box), L"Kelto Quorbel Install Wizard");
  EXPECT_EQ(driver.WaitForPage(100), nullptr);
  Driver::Screenshot(box, gui::JoinPath(gui::ModuleFolder(), L"screenshots\\e2e\\OldWindows\\text65.png"));
  Driver::Answer(box, IDOK);
  DWORD code = 0;
  EXPECT_TRUE(driver.WaitForExit(20000, &code));
  EXPECT_TRUE(driver.lastPage().empty()) << "a page was shown: " << driver.lastPage();
}

}  // namespace

// An earlier installation's record decides whether the existing-version page comes, and what it says.
#include <gtest/gtest.h>

#include "resources/ids.h"
#include "tests/driver/system_state.h"
#include "tests/driver/walk.h"
#include "tests/e2e/wizard_session.h"

namespace {

using gui::Driver;

const wchar_t kOldFolder[] = L"C:\\Old Quorbel";

class ExistingVersion : public e2e::SetupFixture {
 protected:
  void TearDown() override {
    SetupFixture::TearDown();
    ::DeleteFileW((std::wstring(kOldFolder) + L"\\Kelto Quorbel.exe").c_str());
    ::RemoveDirectoryW(kOldFolder);
  }
  // The record an earlier setup leaves, with its program file when `withProgram`.
  static void Seed(const wchar_t* version, bool withProgram = true) {
    ASSERT_TRUE(sys::WriteValue(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath", kOldFolder));
    ASSERT_TRUE(sys::WriteValue(HKEY_LOCAL_MACHINE, kProductKey, L"Version", version));
    ::CreateDirectoryW(kOldFolder, nullptr);
    if (withProgram) {
      ASSERT_TRUE(sys::WriteText(std::wstring(kOldFolder) + L"\\Kelto Quorbel.exe", ""));
    }
  }
  // Started and past the Welcome page: the page that follows it.
  HWND StartPastWelcome() {
    Start();
    Press("Welcome", IDC_WELCOME_NEXT);
    HWND page = driver_.WaitForPage();
    EXPECT_NE(page, nullptr);
    return page;
  }
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
    HWND page = StartPastWelcome();
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
  StartPastWelcome();
  EXPECT_EQ(driver_.lastPage(), "Licence");
}

TEST_F(ExistingVersion, RecordWithoutVersionIsIgnored) {
  Seed(L"");
  StartPastWelcome();
  EXPECT_EQ(driver_.lastPage(), "Licence");
}

}  // namespace

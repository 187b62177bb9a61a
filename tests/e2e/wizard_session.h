#pragma once
// The one fixture of the wizard's end-to-end tests: a fresh setup started from the staged copy with no
// installation recorded, and the moves a user makes on its pages. Ended (killed if still running) afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/ids.h"
#include "tests/driver/walk.h"

namespace e2e {

class WizardSession : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setup_ = gui::StageSetup(gui::JoinPath(gui::ModuleFolder(), L"setup.exe")); }

  void SetUp() override {
    gui::ForgetInstallation();
    ASSERT_TRUE(driver_.Start(setup_)) << "error " << ::GetLastError();
  }
  void TearDown() override { driver_.Kill(); }

  // screenshots\e2e\<suite>.<test> beside the test program, and a picture in it.
  std::wstring ShotFolder() const {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return gui::JoinPath(gui::ModuleFolder(),
                         L"screenshots\\e2e\\" + gui::Widen(info->test_suite_name()) + L"." + gui::Widen(info->name()));
  }
  std::wstring Shot(const std::wstring& name) const { return ShotFolder() + L"\\" + name + L".png"; }

  void ExpectWalk(const std::vector<gui::Step>& steps) {
    gui::WalkResult result = gui::Walk(driver_, steps, ShotFolder());
    ASSERT_TRUE(result.ok) << result.error;
  }
  void ExpectEnds() {
    DWORD code = 0;
    EXPECT_TRUE(driver_.WaitForExit(20000, &code)) << "setup still running";
  }
  // Presses `button` on the current page `page` and waits for it to go.
  void Press(const char* page, int button) {
    HWND window = driver_.WaitForNamedPage(page);
    ASSERT_NE(window, nullptr) << "expected " << page << ", last " << driver_.lastPage();
    gui::Driver::Click(window, button);
    ASSERT_TRUE(gui::Driver::WaitGone(window)) << page << " stayed";
  }
  HWND On(const char* page) {
    HWND window = driver_.WaitForNamedPage(page);
    EXPECT_NE(window, nullptr) << "expected " << page << ", last " << driver_.lastPage();
    return window;
  }
  // Expects a message box of the wizard with this text, answers it and returns.
  void Answer(const std::wstring& text, int button, const std::wstring& shot = L"") {
    HWND box = driver_.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_EQ(gui::Driver::MessageText(box), text);
    EXPECT_EQ(gui::Driver::Caption(box), L"Kelto Quorbel Install Wizard");
    if (!shot.empty()) gui::Driver::Screenshot(box, Shot(shot));
    gui::Driver::Answer(box, button);
    ASSERT_TRUE(gui::Driver::WaitGone(box));
  }
  void ExpectStays(HWND page) {
    ::Sleep(400);
    EXPECT_EQ(driver_.FindMessageBox(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(page));
  }

  static inline std::wstring setup_;
  gui::Driver driver_;
};

}  // namespace e2e

#pragma once
// The fixtures of the end-to-end tests: the setup started from the staged copy with no installation recorded,
// and the moves a user makes on its pages.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "resources/ids.h"
#include "tests/driver/walk.h"

namespace e2e {

inline constexpr wchar_t kCancelQuestion[] = L"Are you sure you want to cancel Kelto Quorbel installation?";

// What the end-to-end fixtures share: no installation recorded before or after a test, the setup started from
// the staged copy (ended, killed if still running, afterwards), pictures and the moves a user makes on its pages.
class SetupFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    gui::ForgetInstallation();
    setup_ = gui::StageSetup(gui::JoinPath(gui::ModuleFolder(), L"setup.exe"));
  }
  void TearDown() override {
    driver_.Kill();
    gui::ForgetInstallation();
  }
  void Start() { ASSERT_TRUE(driver_.Start(setup_)) << "error " << ::GetLastError(); }
  // Language files from the build's lang folder beside the staged setup, where LangConfig.xml finds them.
  static void LayLanguageFiles(std::initializer_list<const wchar_t*> names) {
    for (const wchar_t* name : names) {
      ASSERT_TRUE(::CopyFileW(gui::JoinPath(gui::ModuleFolder(), std::wstring(L"lang\\") + name).c_str(),
                              gui::JoinPath(L"C:\\kelto", name).c_str(), FALSE))
          << "error " << ::GetLastError();
    }
  }

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

  gui::Driver driver_;
  std::wstring setup_;  // the staged copy in C:\kelto, where language files are laid beside it
};

// The wizard's own tests: a fresh setup started for each.
class WizardSession : public SetupFixture {
 protected:
  void SetUp() override {
    SetupFixture::SetUp();
    Start();
  }
};

}  // namespace e2e

// The wizard driven from outside, as a user would: routes, cancel, and start-up refusals.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "tests/driver/system_state.h"
#include "tests/e2e/wizard_session.h"

namespace {

using gui::Driver;
using gui::Step;

using e2e::kCancelQuestion;

using Wizard = e2e::WizardSession;

// The default route with the keyboard alone: mnemonics, Tab and Space, the cancel question answered by a key.
TEST_F(Wizard, DefaultRouteFromWelcomeToEndByKeysOnly) {
  HWND welcome = On("Welcome");
  ASSERT_NE(welcome, nullptr);
  Driver::TypeKeys(welcome, L"%c");  // Cancel asks...
  HWND box = driver_.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Driver::MessageText(box), kCancelQuestion);
  Driver::TypeKeys(box, L"n");  // ...and No keeps the page
  ExpectStays(welcome);
  ExpectWalk({{"Welcome", 0, L"%n"},
              {"Licence", 0, L"\t\t "},  // from the licence text to Back, to agree, pressed
              {"Type", 0, L" "},         // Default has the focus
              {"Desktop", 0, L" %n"},    // the desktop shortcut box, cleared
              {"Summary", 0, L"%n"},     // I&nstall
              {"Progress", 0},
              {"Finish", 0, L"%f"}});
  ExpectEnds();
  EXPECT_TRUE(gui::WaitForProductStarted()) << "Finish starts the product";
  EXPECT_FALSE(sys::Exists(sys::SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Kelto Quorbel.lnk"));
  EXPECT_TRUE(sys::Exists(sys::SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"\\Kelto Quorbel\\Kelto Quorbel.lnk"));
}

TEST_F(Wizard, CustomRouteGoesThroughDestination) {
  ExpectWalk({gui::kWelcomeNext,
              gui::kLicenceAgree,
              gui::kTypeCustom,
              gui::kDestinationNext,
              gui::kDesktopNext,
              gui::kSummaryInstall,
              {"Progress", 0},
              gui::kFinishFinish});
  ExpectEnds();
  EXPECT_TRUE(gui::WaitForProductStarted());
}

TEST_F(Wizard, BackFromDesktopFollowsTheInstallType) {
  ExpectWalk({gui::kWelcomeNext,
              gui::kLicenceAgree,
              gui::kTypeCustom,  // Custom
              gui::kDestinationNext,
              {"Desktop", IDC_DESKTOP_BACK},          // Back: to Destination after Custom
              {"Destination", IDC_DESTINATION_BACK},  // Back: always to Type
              gui::kTypeDefault,                      // Default
              {"Desktop", IDC_DESKTOP_BACK},          // Back: to Type after Default
              {"Type", IDC_TYPE_BACK},                // Back to the licence
              {"Licence", IDC_LICENCE_BACK},          // Back to the welcome page
              gui::kWelcomeNext,
              gui::kLicenceAgree,
              gui::kTypeDefault,
              gui::kDesktopNext,
              {"Summary", IDC_SUMMARY_BACK},  // Back to Desktop
              gui::kDesktopNext,
              gui::kSummaryInstall,
              {"Progress", 0},
              gui::kFinishFinish});
  ExpectEnds();
  EXPECT_TRUE(gui::WaitForProductStarted());
}

// No keeps the page: Pages.EveryCancelAsksAndNoKeepsThePage, on every page that asks.
TEST_F(Wizard, CancelAnsweredYesInterrupts) {
  HWND welcome = On("Welcome");
  ASSERT_NE(welcome, nullptr);
  Driver::Click(welcome, IDC_WELCOME_CANCEL);
  Answer(kCancelQuestion, IDYES, L"01-CancelQuestion");
  ExpectWalk({gui::kInterruptedFinish});
  ExpectEnds();
}

// The close box asks the cancel question too.
TEST_F(Wizard, CloseBoxOnInterruptedEndsTheSetup) {
  HWND welcome = On("Welcome");
  ASSERT_NE(welcome, nullptr);
  Driver::CloseBox(welcome);
  Answer(kCancelQuestion, IDYES);
  HWND interrupted = On("Interrupted");
  ASSERT_NE(interrupted, nullptr);
  Driver::CloseBox(interrupted);
  ExpectEnds();
}

TEST_F(Wizard, CloseBoxOnFinishEndsLikeFinishAndKeepsTheChoices) {
  ExpectWalk(gui::kDefaultToInstall);
  HWND finish = driver_.WaitForNamedPage("Finish", 60000);
  ASSERT_NE(finish, nullptr);
  // The readme box starts cleared; checking it and clearing it again flips the flag both ways.
  EXPECT_FALSE(Driver::IsChecked(finish, IDC_FINISH_README));
  Driver::Click(finish, IDC_FINISH_README);
  ::Sleep(200);
  EXPECT_TRUE(Driver::IsChecked(finish, IDC_FINISH_README));
  Driver::Click(finish, IDC_FINISH_README);
  for (int id : {IDC_FINISH_RUN, IDC_FINISH_DEFAULT_PDF, IDC_FINISH_DEFAULT_PRINTER}) Driver::Click(finish, id);
  ::Sleep(200);
  EXPECT_FALSE(Driver::IsChecked(finish, IDC_FINISH_README));
  EXPECT_FALSE(Driver::IsChecked(finish, IDC_FINISH_RUN));
  Driver::PressEscape(finish);
  ::Sleep(300);
  EXPECT_TRUE(::IsWindowVisible(finish)) << "Escape is discarded on the finish page";
  Driver::CloseBox(finish);
  ExpectEnds();
}

}  // namespace

// The wizard driven from outside, as a user would: routes, cancel, and start-up refusals.
#include <gtest/gtest.h>

#include "tests/e2e/wizard_session.h"

namespace {

using gui::Driver;
using gui::Step;

using e2e::kCancelQuestion;

using Wizard = e2e::WizardSession;

TEST_F(Wizard, DefaultRouteFromWelcomeToEnd) {
  ExpectWalk(gui::DefaultToInstallThen({{"Progress", 0}, gui::kFinishFinish}));
  ExpectEnds();
  EXPECT_TRUE(gui::WaitForProductStarted()) << "Finish starts the product";
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

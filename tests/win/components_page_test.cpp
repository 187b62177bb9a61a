// Pages no wizard walk reaches in the state a test needs, shown here in-process and driven from a second thread:
// the components page (only the loop's fallback leads there) and the Interrupted page after a stopped install.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "core/page_result.h"
#include "app/setup_session.h"
#include "page_test_helpers.h"
#include "resources/ids.h"
#include "test_support.h"
#include "tests/driver/gui_driver.h"
#include "tests/driver/walk.h"

namespace {

using gui::Driver;
using page_test::ShowDriven;

const std::vector<std::pair<std::wstring, bool>> kAllChecked = {
    {L"Kelto Quorbel", true},
    {L"Eastern Asian Language Support", true},
    {L"JPEG2000 and JBIG2 Image Decoders", true},
    {L"Kelto Spell Check Language", true},
    {L"firefox plugin", true},
    {L"RiRovozeVA", true},
};

TEST(ComponentsPage, ShowsSixCheckedItemsEveryTimeAndRecordsNothing) {
  SetupSession session;
  session.Reset();
  const SetupOptions before = session.options;
  const INT_PTR first = ShowDriven(session.componentsPage, [](Driver& d, HWND page) {
    ::Sleep(300);  // the 100 ms timer has checked the first item once more
    HWND tree = ::GetDlgItem(page, 1040);
    EXPECT_EQ(d.TreeItems(tree), kAllChecked);
    // The user unchecks the second item.
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_STATE;
    item.hItem = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
    item.stateMask = TVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(1);
    ::SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_FALSE(d.TreeItems(tree).at(1).second);
    // Escape and the close box leave the page open.
    Driver::PressEscape(page);
    Driver::CloseBox(page);
    ::Sleep(300);
    EXPECT_TRUE(::IsWindowVisible(page));
    EXPECT_EQ(d.FindMessageBox(), nullptr);
    Driver::Click(page, 1033);
  });
  EXPECT_EQ(first, kResultNext);
  EXPECT_EQ(session.options.installFolder, before.installFolder);
  EXPECT_EQ(session.options.desktopShortcut, before.desktopShortcut);

  const INT_PTR second = ShowDriven(session.componentsPage, [](Driver& d, HWND page) {
    ::Sleep(300);
    EXPECT_EQ(d.TreeItems(::GetDlgItem(page, 1040)), kAllChecked) << "unchecked items are forgotten";
    Driver::Click(page, 1032);
  });
  EXPECT_EQ(second, kResultBack);
}

TEST(ComponentsPage, CancelAsksAndYesEndsWithCancel) {
  SetupSession session;
  session.Reset();
  const INT_PTR code = ShowDriven(session.componentsPage, [](Driver& d, HWND page) {
    Driver::Click(page, 1034);
    HWND box = d.WaitForMessageBox(10000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Driver::MessageText(box), L"Are you sure you want to cancel Kelto Quorbel installation?");
    Driver::Answer(box, IDYES);
  });
  EXPECT_EQ(code, kResultCancel);
}

// A stopped install that had replaced files of an earlier installation left the system changed: the page says
// that the installation is incomplete (text 120) where it would say that nothing was modified (text 71).
TEST(InterruptedPage, SaysThatTheInstallationIsIncompleteOnlyWhenFilesWereReplaced) {
  for (const int incomplete : {0, 1}) {
    SetupSession session;
    session.Reset();
    session.options.incompleteInstall = incomplete;
    std::wstring texts[3];
    const INT_PTR code = ShowDriven(
        session.interruptedPage,
        [&](Driver&, HWND page) {
          for (int i = 0; i < 3; ++i) texts[i] = Driver::ItemText(page, IDC_INTERRUPTED_TEXT1 + i);
          Driver::Click(page, IDC_INTERRUPTED_FINISH);
        },
        "Interrupted");
    EXPECT_EQ(code, kResultFinish);
    EXPECT_EQ(texts[0], gui::kInterruptedTexts[0]);
    EXPECT_EQ(texts[1], incomplete ? test_support::BuiltinText(120) : std::wstring(gui::kInterruptedTexts[1]));
    EXPECT_EQ(texts[2], gui::kInterruptedTexts[2]);
  }
}

}  // namespace

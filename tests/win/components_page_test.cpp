// The components page cannot be reached with the page buttons (only the loop's fallback leads there), so it
// is shown here in-process and driven from a second thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <thread>

#include "core/page_result.h"
#include "app/setup_session.h"
#include "tests/driver/gui_driver.h"

namespace {

using gui::Driver;

const std::vector<std::pair<std::wstring, bool>> kAllChecked = {
    {L"Kelto Quorbel", true},     {L"Eastern Asian Language Support", true}, {L"JPEG2000 and JBIG2 Image Decoders", true},
    {L"Kelto Spell Check Language", true}, {L"firefox plugin", true},        {L"RiRovozeVA", true},
};

// Shows the page on this thread while `drive` runs on another with a driver attached to this process.
INT_PTR ShowDriven(Dialog& page, const std::function<void(Driver&, HWND)>& drive) {
  std::thread driver([&] {
    Driver d;
    d.Attach(::GetCurrentProcessId());
    HWND window = d.WaitForNamedPage("Components", 10000);
    if (window) drive(d, window);
  });
  const INT_PTR code = page.DoModal(nullptr);
  driver.join();
  return code;
}

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
    item.hItem = reinterpret_cast<HTREEITEM>(::SendMessageW(
        tree, TVM_GETNEXTITEM, TVGN_NEXT, ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
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

}  // namespace

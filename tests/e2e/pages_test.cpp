// The pages themselves: their buttons, keyboard rules, check boxes and the destination checks.
#include <gtest/gtest.h>

#include "tests/driver/system_state.h"
#include "tests/driver/walk.h"
#include "tests/e2e/wizard_session.h"

namespace {

using gui::Driver;

using e2e::kCancelQuestion;
const wchar_t kWrongFolder[] = L"Please input or select a right directory.";
const wchar_t kCreateFolder[] = L"This directory dose not exist, do you want to create it?";

using sys::IsFolder;

using Pages = e2e::WizardSession;

TEST_F(Pages, EveryCancelAsksAndNoKeepsThePage) {
  struct Stop {
    const char* page;
    int cancel;
    int next;
  };
  // Cancel (or disagree) on each page that asks, then the way on to the next page.
  const Stop stops[] = {
      {"Welcome", IDC_WELCOME_CANCEL, IDC_WELCOME_NEXT}, {"Licence", IDC_LICENCE_DISAGREE, IDC_LICENCE_AGREE},
      {"Type", IDC_TYPE_CANCEL, IDC_TYPE_CUSTOM},        {"Destination", IDC_DESTINATION_CANCEL, IDC_DESTINATION_NEXT},
      {"Desktop", IDC_DESKTOP_CANCEL, IDC_DESKTOP_NEXT}, {"Summary", IDC_SUMMARY_CANCEL, 0}};
  for (const Stop& stop : stops) {
    HWND page = On(stop.page);
    ASSERT_NE(page, nullptr);
    Driver::Click(page, stop.cancel);
    Answer(kCancelQuestion, IDNO);
    ExpectStays(page);
    EXPECT_EQ(driver_.WaitForPage(), page);
    // The close box asks the same question.
    Driver::CloseBox(page);
    Answer(kCancelQuestion, IDNO);
    ExpectStays(page);
    if (stop.next == 0) break;
    if (std::string(stop.page) == "Destination") {
      // A folder of its own that does not exist yet: Next asks before creating it.
      Driver::SetText(page, IDC_DESTINATION_FOLDER, L"D:\\Cancel Test\\Kelto");
      Driver::Click(page, stop.next);
      Answer(kCreateFolder, IDYES);
      ASSERT_TRUE(Driver::WaitGone(page));
    } else {
      Press(stop.page, stop.next);
    }
  }
  HWND summary = On("Summary");
  Driver::Click(summary, IDC_SUMMARY_CANCEL);
  Answer(kCancelQuestion, IDYES);
  HWND interrupted = On("Interrupted");
  ASSERT_NE(interrupted, nullptr);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(Driver::ItemText(interrupted, IDC_INTERRUPTED_TEXT1 + i), gui::kInterruptedTexts[i]);
  Driver::Screenshot(interrupted, Shot(L"Interrupted"));
  // Escape does nothing here either; Finish ends the setup.
  Driver::PressEscape(interrupted);
  ExpectStays(interrupted);
  Driver::Click(interrupted, IDC_INTERRUPTED_FINISH);
  EXPECT_TRUE(driver_.WaitForExit(20000));
  ::RemoveDirectoryW(L"D:\\Cancel Test\\Kelto");
  ::RemoveDirectoryW(L"D:\\Cancel Test");
}

TEST_F(Pages, EscapeAndEnterDoNothingOnTheAskingPages) {
  const std::pair<const char*, int> pages[] = {
      {"Welcome", IDC_WELCOME_NEXT}, {"Licence", IDC_LICENCE_AGREE}, {"Type", 0}};
  for (const auto& [page, next] : pages) {
    HWND window = On(page);
    ASSERT_NE(window, nullptr);
    Driver::PressEscape(window);
    // Nor Enter, on the Welcome page.
    if (next == IDC_WELCOME_NEXT) Driver::PressEnter(window);
    ExpectStays(window);
    if (next) Press(page, next);
  }
}

TEST_F(Pages, DesktopChoicesSurviveBackAndDefaultResetsThem) {
  Press("Welcome", IDC_WELCOME_NEXT);
  Press("Licence", IDC_LICENCE_AGREE);
  Press("Type", IDC_TYPE_DEFAULT);
  HWND desktop = On("Desktop");
  ASSERT_NE(desktop, nullptr);
  for (int id : {IDC_DESKTOP_SHORTCUT, IDC_DESKTOP_START_MENU, IDC_DESKTOP_QUICK_LAUNCH, IDC_DESKTOP_ALL_USERS})
    EXPECT_TRUE(Driver::IsChecked(desktop, id));
  Driver::Click(desktop, IDC_DESKTOP_SHORTCUT);
  Driver::Click(desktop, IDC_DESKTOP_QUICK_LAUNCH);
  Driver::Click(desktop, IDC_DESKTOP_ALL_USERS);
  ::Sleep(300);
  EXPECT_FALSE(Driver::IsChecked(desktop, IDC_DESKTOP_SHORTCUT));
  EXPECT_TRUE(Driver::IsChecked(desktop, IDC_DESKTOP_START_MENU));
  EXPECT_FALSE(Driver::IsChecked(desktop, IDC_DESKTOP_QUICK_LAUNCH));
  EXPECT_FALSE(Driver::IsChecked(desktop, IDC_DESKTOP_ALL_USERS));
  Driver::Screenshot(desktop, Shot(L"DesktopCleared"));
  Press("Desktop", IDC_DESKTOP_NEXT);
  HWND summary = On("Summary");
  ASSERT_NE(summary, nullptr);
  // All users is not shown; only the Start menu icon is left.
  const std::wstring text = Driver::ItemText(summary, IDC_SUMMARY_TEXT);
  EXPECT_EQ(text,
            L"Destination Location:\r\n   C:\\Program Files\\Kelto Software\\Kelto Quorbel\r\n\r\n"
            L"Desktop Settings:\r\n   Add an icon to the Start Menu\r\n");
  Press("Summary", IDC_SUMMARY_BACK);
  desktop = On("Desktop");
  ASSERT_NE(desktop, nullptr);
  EXPECT_FALSE(Driver::IsChecked(desktop, IDC_DESKTOP_SHORTCUT));
  EXPECT_TRUE(Driver::IsChecked(desktop, IDC_DESKTOP_START_MENU));
  EXPECT_FALSE(Driver::IsChecked(desktop, IDC_DESKTOP_ALL_USERS));
  Press("Desktop", IDC_DESKTOP_BACK);
  // Default starts again from the defaults.
  Press("Type", IDC_TYPE_DEFAULT);
  desktop = On("Desktop");
  ASSERT_NE(desktop, nullptr);
  for (int id : {IDC_DESKTOP_SHORTCUT, IDC_DESKTOP_START_MENU, IDC_DESKTOP_QUICK_LAUNCH, IDC_DESKTOP_ALL_USERS})
    EXPECT_TRUE(Driver::IsChecked(desktop, id));
}

TEST_F(Pages, DestinationRejectsWhatCannotBeAFolder) {
  Press("Welcome", IDC_WELCOME_NEXT);
  Press("Licence", IDC_LICENCE_AGREE);
  Press("Type", IDC_TYPE_CUSTOM);
  HWND destination = On("Destination");
  ASSERT_NE(destination, nullptr);
  EXPECT_EQ(Driver::ItemText(destination, IDC_DESTINATION_FOLDER), L"C:\\Program Files\\Kelto Software\\Kelto Quorbel");
  Driver::Screenshot(destination, Shot(L"Destination"));
  // E: is a CD drive, "\\x" has no drive, "<" and a second colon are not allowed.
  for (const wchar_t* bad : {L"E:\\Elsewhere", L"\\Elsewhere", L"C:\\Else<where", L"C:\\Elsewhere\\a:b",
                             L"Q:\\Elsewhere", L"C:\\Else/where"}) {
    Driver::SetText(destination, IDC_DESTINATION_FOLDER, bad);
    Driver::Click(destination, IDC_DESTINATION_NEXT);
    Answer(kWrongFolder, IDOK);
    ExpectStays(destination);
  }
  EXPECT_FALSE(IsFolder(L"C:\\Elsewhere"));
  EXPECT_FALSE(IsFolder(L"E:\\Elsewhere"));
}

TEST_F(Pages, DestinationCreatesOnlyWhatTheUserAccepts) {
  Press("Welcome", IDC_WELCOME_NEXT);
  Press("Licence", IDC_LICENCE_AGREE);
  Press("Type", IDC_TYPE_CUSTOM);
  HWND destination = On("Destination");
  ASSERT_NE(destination, nullptr);
  ::CreateDirectoryW(L"D:\\Apps", nullptr);
  Driver::SetText(destination, IDC_DESTINATION_FOLDER, L"D:\\Apps\\New Place\\Deeper");
  Driver::Click(destination, IDC_DESTINATION_NEXT);
  Answer(kCreateFolder, IDNO, L"CreateQuestion");
  ExpectStays(destination);
  EXPECT_FALSE(IsFolder(L"D:\\Apps\\New Place")) << "No must remove what the check created";
  EXPECT_TRUE(IsFolder(L"D:\\Apps"));
  EXPECT_EQ(Driver::ItemText(destination, IDC_DESTINATION_FOLDER), L"D:\\Apps\\New Place\\Deeper");

  Driver::Click(destination, IDC_DESTINATION_NEXT);
  Answer(kCreateFolder, IDYES);
  ASSERT_TRUE(Driver::WaitGone(destination));
  EXPECT_TRUE(IsFolder(L"d:\\apps\\new place\\deeper"));
  HWND desktop = On("Desktop");
  ASSERT_NE(desktop, nullptr);
  Press("Desktop", IDC_DESKTOP_NEXT);
  HWND summary = On("Summary");
  ASSERT_NE(summary, nullptr);
  // The folder keeps the letters as typed and gains its backslash.
  const std::wstring expected = L"Destination Location:\r\n   D:\\Apps\\New Place\\Deeper\\\r\n";
  EXPECT_EQ(Driver::ItemText(summary, IDC_SUMMARY_TEXT).substr(0, expected.size()), expected);
  ::RemoveDirectoryW(L"D:\\Apps\\New Place\\Deeper");
  ::RemoveDirectoryW(L"D:\\Apps\\New Place");
  ::RemoveDirectoryW(L"D:\\Apps");
}

TEST_F(Pages, DriveRowsAreTheFixedDrivesAndAClickChoosesOne) {
  Press("Welcome", IDC_WELCOME_NEXT);
  Press("Licence", IDC_LICENCE_AGREE);
  Press("Type", IDC_TYPE_CUSTOM);
  HWND destination = On("Destination");
  ASSERT_NE(destination, nullptr);
  HWND list = ::GetDlgItem(destination, IDC_DESTINATION_DRIVES);
  // C: and D: are fixed drives of the test prefix; E: is a CD drive and is not listed.
  EXPECT_EQ(driver_.ListRows(list), (std::vector<std::wstring>{L"C:", L"D:"}));
  const std::vector<std::wstring> totals = driver_.ListRows(list, 1);
  ASSERT_EQ(totals.size(), 2u);
  EXPECT_EQ(totals[0].substr(totals[0].size() - 3), L" MB");
  ASSERT_TRUE(driver_.ClickListRow(list, 1));
  ::Sleep(400);
  EXPECT_EQ(Driver::ItemText(destination, IDC_DESTINATION_FOLDER), L"D:\\");
  Driver::Screenshot(destination, Shot(L"DriveChosen"));
  // Back does not read the edit; Custom puts the default folder back.
  Press("Destination", IDC_DESTINATION_BACK);
  Press("Type", IDC_TYPE_CUSTOM);
  destination = On("Destination");
  ASSERT_NE(destination, nullptr);
  EXPECT_EQ(Driver::ItemText(destination, IDC_DESTINATION_FOLDER), L"C:\\Program Files\\Kelto Software\\Kelto Quorbel");
}

// Every page's footer shows text 2, the host-name form "www.kelto.example". A click opens it as a web address,
// in the program registered for web addresses (the prefix's is bent to the stand-in product, which logs how it
// was started), started by the desktop shell with the desktop user's rights: its parent is explorer.exe.
TEST_F(Pages, FooterLinkOpensTheAddressThroughTheDesktopShell) {
  const std::wstring browser = L"C:\\kelto\\browser\\Kelto Quorbel.exe";
  const std::wstring log = L"C:\\kelto\\browser-log.txt";
  const std::wstring command = L"Software\\Classes\\http\\shell\\open\\command";
  gui::MakeFolders(L"C:\\kelto\\browser");
  ASSERT_TRUE(::CopyFileW(sys::StagedFile(L"Kelto Quorbel.exe").c_str(), browser.c_str(), FALSE));
  const std::wstring before = sys::ReadValue(HKEY_LOCAL_MACHINE, command, nullptr);
  ASSERT_TRUE(sys::WriteValue(HKEY_LOCAL_MACHINE, command, nullptr, L"\"" + browser + L"\" \"%1\""));
  struct Restore {
    std::wstring key, text;
    ~Restore() {
      if (text == L"<none>") {
        sys::DeleteKey(HKEY_LOCAL_MACHINE, key);
      } else {
        sys::WriteValue(HKEY_LOCAL_MACHINE, key, nullptr, text);
      }
      sys::SetProductLog(L"");
    }
  } restore{command, before};
  ::DeleteFileW(log.c_str());
  sys::SetProductLog(log);

  HWND welcome = On("Welcome");
  ASSERT_NE(welcome, nullptr);
  EXPECT_EQ(Driver::ItemText(welcome, IDC_WELCOME_FOOTER), L"www.kelto.example");
  Driver::Click(welcome, IDC_WELCOME_FOOTER);
  EXPECT_TRUE(gui::WaitForProductStarted()) << "no program opened the address";
  const std::vector<sys::ProductStart> starts = sys::ProductStarts(log);
  ASSERT_EQ(starts.size(), 1u) << sys::ReadText(log);
  EXPECT_EQ(starts[0].commandLine, L"\"" + browser + L"\" \"http://www.kelto.example\"");
  EXPECT_EQ(starts[0][L"parent"], L"explorer.exe");
  ExpectStays(welcome);
  ::DeleteFileW(browser.c_str());
  ::DeleteFileW(log.c_str());
}

}  // namespace

// Each wizard language brings its own pictures and a few layouts of its own; a screenshot of every page
// of the route is kept for each.
#include <gtest/gtest.h>

#include <string>

#include "resources/ids.h"
#include "tests/driver/system_state.h"
#include "tests/driver/walk.h"
#include "tests/e2e/wizard_session.h"

namespace {

using gui::Driver;

struct Skin {
  int index;
  const char* languageId;  // for a fixed-language LangConfig.xml; null for none
  const wchar_t* name;
  int dpi = 96;  // the display's, as the setup finds it when it starts
};

const Skin kSkins[] = {{0, nullptr, L"0-English"},
                       {1, "40814", L"1-French"},
                       {3, "40819", L"3-Korean"},
                       {4, "40833", L"4-Japanese"},
                       {0, nullptr, L"0-English144", 144}};

const wchar_t kDisplayKey[] = L"Control Panel\\Desktop";

// Sets the display's DPI for programs started from now on; returns the earlier setting.
DWORD SetDisplayDpi(DWORD dpi) {
  DWORD earlier = 96, size = sizeof(earlier);
  HKEY key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kDisplayKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return earlier;
  }
  ::RegQueryValueExW(key, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&earlier), &size);
  ::RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
  ::RegCloseKey(key);
  return earlier;
}

int g_dpi = 96;
int Scaled(int value) { return ::MulDiv(value, g_dpi, 96); }
bool Near(LONG actual, int at96) { return actual >= Scaled(at96) - 1 && actual <= Scaled(at96) + 1; }

RECT ClientRect(HWND page, int id) {
  RECT rect{};
  HWND control = ::GetDlgItem(page, id);
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// At its 96-DPI place times the display's scale, give or take a pixel per edge at other scales.
::testing::AssertionResult At(HWND page, int id, int x, int y, int width, int height) {
  const RECT r = ClientRect(page, id);
  if (g_dpi == 96 ? r.left == x && r.top == y && r.right - r.left == width && r.bottom - r.top == height
                  : Near(r.left, x) && Near(r.top, y) && Near(r.right, x + width) && Near(r.bottom, y + height)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "control " << id << " at (" << r.left << ", " << r.top << ", "
                                       << r.right - r.left << ", " << r.bottom - r.top << ")";
}

// A read-only text opens at its first line with nothing selected, and keeps the keyboard focus the page gives it.
::testing::AssertionResult ShowsFromTheTop(HWND page, int id) {
  const int first = Driver::FirstVisibleLine(page, id);
  const std::pair<int, int> selection = Driver::Selection(page, id);
  const bool focused = Driver::FocusedWindow(page) == ::GetDlgItem(page, id);
  if (first == 0 && selection.first == 0 && selection.second == 0 && focused) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "control " << id << ": first visible line " << first << ", selection "
                                       << selection.first << ".." << selection.second
                                       << (focused ? "" : ", not focused");
}

class Skins : public e2e::SetupFixture, public ::testing::WithParamInterface<Skin> {
 protected:
  void SetUp() override {
    g_dpi = GetParam().dpi;
    earlierDpi_ = SetDisplayDpi(static_cast<DWORD>(g_dpi));
    SetupFixture::SetUp();
    if (const char* id = GetParam().languageId) {
      LayLanguageFiles({L"inst_lang_fr_fr.xml"});
      ASSERT_TRUE(
          sys::WriteText(L"C:\\kelto\\LangConfig.xml",
                         std::string("<LangConfig LangType=\"1\"><LangId value=\"") + id + "\"/></LangConfig>"));
    }
  }
  void TearDown() override {
    SetDisplayDpi(earlierDpi_);
    g_dpi = 96;
    SetupFixture::TearDown();
    ::DeleteFileW(L"C:\\kelto\\LangConfig.xml");
    ::DeleteFileW(L"C:\\kelto\\inst_lang_fr_fr.xml");
  }
  HWND Page(const char* name) {
    HWND page = driver_.WaitForNamedPage(name);
    EXPECT_NE(page, nullptr) << "expected " << name << ", last " << driver_.lastPage();
    if (page) {
      RECT client{};
      ::GetClientRect(page, &client);
      EXPECT_TRUE(Near(client.right, 529) && Near(client.bottom, 392))
          << name << " is " << client.right << " x " << client.bottom << " at " << g_dpi << " DPI";
      Driver::Screenshot(
          page, gui::JoinPath(gui::ModuleFolder(), std::wstring(L"screenshots\\skins\\") + GetParam().name + L"\\" +
                                                       gui::Widen(name) + L".png"));
    }
    return page;
  }
  DWORD earlierDpi_ = 96;
  void Leave(HWND page, int button) {
    Driver::Click(page, button);
    ASSERT_TRUE(Driver::WaitGone(page));
  }
};

TEST_P(Skins, PagesTakeTheirLanguagesLayout) {
  const int skin = GetParam().index;
  Start();
  HWND welcome = Page("Welcome");
  ASSERT_NE(welcome, nullptr);
  EXPECT_TRUE(At(welcome, IDC_WELCOME_PICTURE, 0, 0, 195, 340));
  if (skin == 3) {
    EXPECT_TRUE(At(welcome, IDC_WELCOME_TITLE, 233, 20, 270, 30));
    EXPECT_TRUE(At(welcome, IDC_WELCOME_INTRO, 211, 60, 312, 50));
  } else {
    EXPECT_TRUE(At(welcome, IDC_WELCOME_TITLE, 253, 20, 203, 32));
  }
  if (skin == 4) {
    EXPECT_TRUE(At(welcome, IDC_WELCOME_NEXT, 320, 358, 99, 24));
    EXPECT_TRUE(At(welcome, IDC_WELCOME_CANCEL, 425, 358, 99, 24));
  } else if (skin != 3) {
    EXPECT_TRUE(At(welcome, IDC_WELCOME_NEXT, 329, 358, 88, 24));
  }
  EXPECT_TRUE(At(welcome, IDC_WELCOME_FOOTER, 9, 357, 160, 24));
  Leave(welcome, IDC_WELCOME_NEXT);

  HWND licence = Page("Licence");
  ASSERT_NE(licence, nullptr);
  EXPECT_TRUE(At(licence, IDC_LICENCE_BANNER, 0, 0, 529, 66));
  if (skin == 1) {
    EXPECT_TRUE(At(licence, IDC_LICENCE_BACK, 197, 358, 100, 24));
  }
  if (skin == 4) {
    EXPECT_TRUE(At(licence, IDC_LICENCE_AGREE, 309, 358, 98, 24));
  }
  if (skin == 0 || skin == 3) {
    EXPECT_TRUE(At(licence, IDC_LICENCE_DISAGREE, 425, 358, 88, 24));
  }
  EXPECT_TRUE(ShowsFromTheTop(licence, IDC_LICENCE_TEXT));
  Leave(licence, IDC_LICENCE_AGREE);

  HWND type = Page("Type");
  ASSERT_NE(type, nullptr);
  const int square = skin == 4 ? 77 : skin == 3 ? 75 : 66;
  EXPECT_TRUE(At(type, IDC_TYPE_DEFAULT, 40, 150, square, square));
  EXPECT_TRUE(At(type, IDC_TYPE_CUSTOM, 40, 230, square, square));
  Leave(type, IDC_TYPE_DEFAULT);

  Leave(Page("Desktop"), IDC_DESKTOP_NEXT);
  HWND summary = Page("Summary");
  ASSERT_NE(summary, nullptr);
  if (skin == 4) {
    EXPECT_TRUE(At(summary, IDC_SUMMARY_TEXT, 16, 146, 498, 188));
    EXPECT_TRUE(At(summary, IDC_SUMMARY_INSTALL, 293, 358, 112, 24));
  } else {
    EXPECT_TRUE(At(summary, IDC_SUMMARY_TEXT, 16, 126, 498, 188));
  }
  EXPECT_TRUE(ShowsFromTheTop(summary, IDC_SUMMARY_TEXT));
  Leave(summary, IDC_SUMMARY_INSTALL);

  HWND progress = Page("Progress");
  ASSERT_NE(progress, nullptr);
  EXPECT_FALSE(Driver::IsEnabled(progress, IDC_PROGRESS_BACK));
  EXPECT_FALSE(Driver::IsEnabled(progress, IDC_PROGRESS_CANCEL));
  HWND finish = driver_.WaitForNamedPage("Finish", 60000);
  ASSERT_NE(finish, nullptr);
  Page("Finish");
  if (skin == 3) {
    EXPECT_TRUE(At(finish, IDC_FINISH_TITLE, 300, 20, 120, 32));
  } else {
    EXPECT_TRUE(At(finish, IDC_FINISH_TITLE, 263, 20, 182, 32));
  }
  EXPECT_TRUE(Driver::IsChecked(finish, IDC_FINISH_RUN));
  EXPECT_TRUE(Driver::IsChecked(finish, IDC_FINISH_DEFAULT_PDF));
  EXPECT_TRUE(Driver::IsChecked(finish, IDC_FINISH_DEFAULT_PRINTER));
  EXPECT_FALSE(Driver::IsChecked(finish, IDC_FINISH_README));
  // Nothing to run afterwards in this test: all four follow-up actions off.
  for (int id : {IDC_FINISH_RUN, IDC_FINISH_DEFAULT_PDF, IDC_FINISH_DEFAULT_PRINTER}) Driver::Click(finish, id);
  ::Sleep(200);
  Leave(finish, IDC_FINISH_FINISH);
  EXPECT_TRUE(driver_.WaitForExit(30000));
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, Skins, ::testing::ValuesIn(kSkins),
                         [](const ::testing::TestParamInfo<Skin>& info) {
                           const std::wstring name = info.param.name;
                           return std::string(name.begin() + 2, name.end());
                         });

}  // namespace

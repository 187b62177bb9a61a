// Every page, the language dialog and both removal windows, in English and every shipped language:
// - moved to monitors of 120, 144 and 192 DPI and back to 96 (WM_DPICHANGED, as the system sends it), the window
//   and every control are their 96-DPI rectangles times the scale each time, and every text fits its control;
// - the keyboard reaches the controls in reading order, no two controls share a mnemonic, and a screen reader
//   gets a role and a name for every control.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/page_result.h"
#include "core/text_ids.h"
#include "framework/ui/dpi.h"
#include "page_test_helpers.h"
#include "ui/pages/pages.h"
#include "ui/pages/removal_dialogs.h"

namespace {

const int kScales[] = {120, 144, 192, kLayoutDpi};

class LanguageHost : public PageHost {
 public:
  explicit LanguageHost(const page_test::LanguageTexts& language)
      : language_(language), own_(std::make_shared<StringCatalogue>(ReadWholeFile, LoadBuiltinString)) {
    options_.SkinIndex = language.skin;
    options_.existingState = 3;
    options_.installFolder = options_.defaultInstallFolder = L"C:\\Program Files\\Kelto Software\\Kelto Quorbel";
  }
  SetupOptions& Options() override { return options_; }
  std::wstring Text(unsigned id) const override { return language_.text(id); }
  StringCatalogue& catalogue() override { return language_.catalogue ? *language_.catalogue : *own_; }
  std::vector<std::wstring> ComponentNames() const override {
    return {L"Eastern Asian Language Support", L"JPEG2000 and JBIG2 Image Decoders"};
  }
  void RunInstallSequence(ProgressPage& page) override { page.EndWith(kResultFinish); }

 private:
  const page_test::LanguageTexts& language_;
  std::shared_ptr<StringCatalogue> own_;
  SetupOptions options_;
};

struct Geometry {
  SIZE client{};
  std::vector<std::pair<HWND, RECT>> controls;
  std::vector<int> columns;  // of the list views, their widths in order
};

Geometry Measure(HWND window) {
  Geometry g;
  RECT client{};
  ::GetClientRect(window, &client);
  g.client = {client.right, client.bottom};
  for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    g.controls.emplace_back(child, r);
    wchar_t kind[32] = {};
    ::GetClassNameW(child, kind, 32);
    if (std::wstring(kind) != WC_LISTVIEWW) continue;
    HWND header = reinterpret_cast<HWND>(::SendMessageW(child, LVM_GETHEADER, 0, 0));
    const int count = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      g.columns.push_back(static_cast<int>(::SendMessageW(child, LVM_GETCOLUMNWIDTH, i, 0)));
    }
  }
  return g;
}

bool Near(LONG actual, int at96, int dpi) {
  const int expected = ScaleToDpi(at96, dpi);
  return actual >= expected - 1 && actual <= expected + 1;
}

std::wstring ClassOf(HWND control) {
  wchar_t name[64] = {};
  ::GetClassNameW(control, name, 64);
  return name;
}

SIZE TextNeeds(HWND control, const std::wstring& text, UINT format, int width) {
  HDC dc = ::GetDC(control);
  HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT box{0, 0, width, 0};
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format | DT_CALCRECT | DT_EXPANDTABS);
  ::SelectObject(dc, old);
  ::ReleaseDC(control, dc);
  return {box.right, box.bottom};
}

// How a visible text control's text fails to fit, or "" when it fits.
std::string TextProblem(HWND control, int dpi) {
  wchar_t buffer[1024] = {};
  ::GetWindowTextW(control, buffer, 1024);
  const std::wstring text = buffer;
  if (text.empty() || !(::GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE)) return "";
  RECT client{};
  ::GetClientRect(control, &client);
  // What reaches past the window's edge is cut too.
  RECT place{}, window{};
  ::GetWindowRect(control, &place);
  ::GetWindowRect(::GetParent(control), &window);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&place), 2);
  ::GetClientRect(::GetParent(control), &window);
  client.right = std::min(client.right, window.right - place.left);
  const LONG_PTR style = ::GetWindowLongPtrW(control, GWL_STYLE);
  const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
  std::ostringstream problem;
  const std::wstring kind = ClassOf(control);
  if (kind == L"Static") {
    const LONG_PTR type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP) return "";
    const bool oneLine = type == SS_LEFTNOWORDWRAP;
    const SIZE need = TextNeeds(control, text, prefix | (oneLine ? DT_SINGLELINE : DT_WORDBREAK), client.right);
    if (need.cx > client.right || need.cy > client.bottom) {
      problem << "needs " << need.cx << " x " << need.cy;
    }
  } else if (kind == L"Button") {
    const LONG_PTR type = style & BS_TYPEMASK;
    if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX) {
      // The box and the gap before the text, as large as at 96 DPI times the scale.
      const int box = ScaleToDpi(13 + 4, dpi);
      const SIZE need = TextNeeds(control, text, DT_SINGLELINE, client.right);
      if (need.cx > client.right - box || need.cy > client.bottom) problem << "needs " << need.cx << " x " << need.cy;
    } else if (type == BS_GROUPBOX) {
      const SIZE need = TextNeeds(control, text, DT_SINGLELINE, client.right);
      if (need.cx > client.right - ScaleToDpi(16, dpi)) problem << "needs " << need.cx;
    } else if (type == BS_OWNERDRAW) {
      // The button's own drawing: the label's dark pixels stay clear of the inner rectangle's edges, whichever
      // way it was fitted (one line, two lines, a smaller font). Drawn enabled and without the focus frame.
      const bool enabled = ::IsWindowEnabled(control);
      ::EnableWindow(control, TRUE);
      if (::GetFocus() == control) ::SetFocus(nullptr);
      page_test::Image image(client.right, client.bottom, RGB(255, 0, 255));
      ::SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(image.dc()), PRF_CLIENT);
      ::EnableWindow(control, enabled);
      const RECT inner = SkinButton::InnerRect({0, 0, client.right, client.bottom}, dpi);
      const RECT ink = image.DarkBox(inner);
      if (ink.left >= ink.right) {
        problem << "drew nothing";
      } else if (ink.left <= inner.left || ink.top <= inner.top || ink.right >= inner.right ||
                 ink.bottom >= inner.bottom) {
        problem << "drawn over (" << ink.left << ", " << ink.top << ") - (" << ink.right << ", " << ink.bottom
                << "), inside (" << inner.left << ", " << inner.top << ") - (" << inner.right << ", " << inner.bottom
                << ")";
      }
    }
  }
  if (problem.str().empty()) return "";
  return "control " + std::to_string(::GetDlgCtrlID(control)) + " (" + std::to_string(client.right) + " x " +
         std::to_string(client.bottom) + ") " + problem.str();
}

// Checks `window` at 96 DPI, then at each scale.
void CheckEveryScale(HWND window, const std::string& what) {
  const Geometry at96 = Measure(window);
  for (const auto& [control, rect] : at96.controls) {
    EXPECT_EQ(TextProblem(control, kLayoutDpi), "") << what << " at 96 DPI";
  }
  for (int dpi : kScales) {
    RECT suggested{};
    ::GetWindowRect(window, &suggested);
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    const Geometry now = Measure(window);
    EXPECT_TRUE(Near(now.client.cx, at96.client.cx, dpi) && Near(now.client.cy, at96.client.cy, dpi))
        << what << " at " << dpi << " DPI: client " << now.client.cx << " x " << now.client.cy << " for "
        << at96.client.cx << " x " << at96.client.cy << " at 96";
    ASSERT_EQ(now.controls.size(), at96.controls.size());
    ASSERT_EQ(now.columns.size(), at96.columns.size());
    for (size_t i = 0; i < now.columns.size(); ++i) {
      EXPECT_TRUE(Near(now.columns[i], at96.columns[i], dpi))
          << what << " at " << dpi << " DPI: list column " << i << " is " << now.columns[i] << " wide";
    }
    for (size_t i = 0; i < now.controls.size(); ++i) {
      const RECT& r = now.controls[i].second;
      const RECT& o = at96.controls[i].second;
      // A drop-down list is as high as its font makes it.
      const bool ownHeight = ClassOf(now.controls[i].first) == L"ComboBox";
      EXPECT_TRUE(Near(r.left, o.left, dpi) && Near(r.top, o.top, dpi) && Near(r.right, o.right, dpi) &&
                  (ownHeight || Near(r.bottom, o.bottom, dpi)))
          << what << " at " << dpi << " DPI: control " << ::GetDlgCtrlID(now.controls[i].first) << " at (" << r.left
          << ", " << r.top << ") - (" << r.right << ", " << r.bottom << "), at 96 (" << o.left << ", " << o.top
          << ") - (" << o.right << ", " << o.bottom << ")";
      EXPECT_EQ(TextProblem(now.controls[i].first, dpi), "") << what << " at " << dpi << " DPI";
    }
  }
}

// The mnemonic of a control's text, lower case; 0 when it has none.
wchar_t Mnemonic(HWND control) {
  const LONG_PTR style = ::GetWindowLongPtrW(control, GWL_STYLE);
  const std::wstring kind = ClassOf(control);
  if (kind == L"Static" && (style & SS_NOPREFIX)) return 0;
  if (kind != L"Static" && kind != L"Button") return 0;
  wchar_t buffer[512] = {};
  ::GetWindowTextW(control, buffer, 512);
  for (const wchar_t* c = buffer; *c; ++c) {
    if (*c != L'&') continue;
    if (c[1] == L'&') {
      ++c;
    } else if (c[1]) {
      return static_cast<wchar_t>(::towlower(c[1]));
    }
  }
  return 0;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

// Role and name as a screen reader asks for them.
std::pair<long, std::wstring> RoleAndName(HWND control) {
  IAccessible* object = nullptr;
  if (FAILED(::AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))) ||
      !object) {
    return {0, L""};
  }
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  VARIANT role{};
  object->get_accRole(self, &role);
  BSTR name = nullptr;
  object->get_accName(self, &name);
  std::pair<long, std::wstring> result{role.vt == VT_I4 ? role.lVal : 0, name ? name : L""};
  ::SysFreeString(name);
  ::VariantClear(&role);
  object->Release();
  return result;
}

// What only our own drawing can say it is.
long SkinnedRole(HWND control) {
  const std::wstring kind = ClassOf(control);
  const LONG_PTR style = ::GetWindowLongPtrW(control, GWL_STYLE);
  if (kind == L"Button" && (style & BS_TYPEMASK) == BS_OWNERDRAW) return ROLE_SYSTEM_PUSHBUTTON;
  if (kind == L"Static" && (style & SS_TYPEMASK) == SS_BITMAP) return ROLE_SYSTEM_GRAPHIC;
  if (kind == L"Static" && (style & SS_NOTIFY) && ::SendMessageW(control, WM_GETFONT, 0, 0)) {
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
    if (font.lfUnderline) return ROLE_SYSTEM_LINK;
  }
  return 0;
}

void CheckKeysAndNames(HWND window, const std::string& what) {
  // Tab stops in the order the eye reads them: down the page, and left to right along a row.
  std::vector<HWND> stops;
  for (HWND c = ::GetNextDlgTabItem(window, nullptr, FALSE); c && stops.size() < 40;
       c = ::GetNextDlgTabItem(window, c, FALSE)) {
    if (!stops.empty() && c == stops.front()) break;
    stops.push_back(c);
  }
  // Windows that only show work in progress have nothing for the keyboard to do.
  bool anyEnabledButton = false;
  for (HWND c = ::GetWindow(window, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    anyEnabledButton |= ClassOf(c) == L"Button" && ::IsWindowEnabled(c) &&
                        (::GetWindowLongPtrW(c, GWL_STYLE) & (WS_VISIBLE | WS_TABSTOP)) == (WS_VISIBLE | WS_TABSTOP);
  }
  EXPECT_EQ(stops.empty(), !anyEnabledButton) << what << ": the keyboard reaches none of its buttons";
  for (size_t i = 1; i < stops.size(); ++i) {
    RECT a{}, b{};
    ::GetWindowRect(stops[i - 1], &a);
    ::GetWindowRect(stops[i], &b);
    const bool sameRow = b.top < a.bottom && a.top < b.bottom;
    EXPECT_TRUE(sameRow ? b.left >= a.right : b.top >= a.top)
        << what << ": Tab goes from control " << ::GetDlgCtrlID(stops[i - 1]) << " to control "
        << ::GetDlgCtrlID(stops[i]) << ", back up or to the left";
  }
  std::vector<std::pair<wchar_t, int>> mnemonics;
  for (HWND c = ::GetWindow(window, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    const LONG_PTR style = ::GetWindowLongPtrW(c, GWL_STYLE);
    if (!(style & WS_VISIBLE)) continue;
    if (const wchar_t key = Mnemonic(c)) {
      for (const auto& [other, id] : mnemonics) {
        EXPECT_NE(other, key) << what << ": controls " << id << " and " << ::GetDlgCtrlID(c) << " share Alt+"
                              << static_cast<char>(key < 128 ? key : '?');
      }
      mnemonics.emplace_back(key, ::GetDlgCtrlID(c));
    }
    const auto [role, name] = RoleAndName(c);
    EXPECT_NE(role, 0) << what << ": control " << ::GetDlgCtrlID(c) << " has no role";
    if (const long skinned = SkinnedRole(c)) {
      EXPECT_EQ(role, skinned) << what << ": control " << ::GetDlgCtrlID(c);
      EXPECT_FALSE(name.empty()) << what << ": control " << ::GetDlgCtrlID(c) << " has no name";
    }
    wchar_t text[512] = {};
    ::GetWindowTextW(c, text, 512);
    if (ClassOf(c) == L"Button" && text[0]) {
      std::wstring plain;
      for (const wchar_t* t = text; *t; ++t) {
        if (*t == L'&' && t[1]) ++t;
        plain += *t;
      }
      EXPECT_EQ(Narrow(name), Narrow(plain)) << what << ": control " << ::GetDlgCtrlID(c);
    }
  }
}

// Shows `dialog` modally; from inside its modal loop the check runs and the dialog ends.
std::function<void()> g_inside;
void CALLBACK RunInside(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  if (g_inside) std::exchange(g_inside, nullptr)();
}

void ShowAndCheck(Dialog& dialog, const std::string& what) {
  g_inside = [&] {
    CheckKeysAndNames(dialog.hwnd(), what);
    CheckEveryScale(dialog.hwnd(), what);
    ::EndDialog(dialog.hwnd(), 0);
  };
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 1, RunInside);
  EXPECT_NE(dialog.DoModal(nullptr), -1) << what;
  ::KillTimer(nullptr, timer);
  g_inside = nullptr;
}

TEST(EveryPage, ScalesFitsAndSpeaksInEveryLanguage) {
  ::CoInitialize(nullptr);
  install_test::Sandbox sandbox(L"scales");
  const std::vector<page_test::LanguageTexts> languages = page_test::ShippedLanguages(sandbox);
  ASSERT_GE(languages.size(), 4u) << "English and the three language files";
  for (const page_test::LanguageTexts& language : languages) {
    LanguageHost host(language);
    WelcomePage welcome(host);
    ExistingVersionPage existing(host);
    LicenseAgreementPage licence(host);
    InstallTypePage type(host);
    ComponentsPage components(host);
    DestinationPage destination(host);
    DesktopSettingsPage desktop(host);
    SummaryPage summary(host);
    ProgressPage progress(host);
    FinishPage finish(host);
    InterruptedPage interrupted(host);
    LanguagePage languageDialog(host);
    const std::pair<Dialog*, const char*> pages[] = {
        {&welcome, "Welcome"}, {&existing, "Existing"},       {&licence, "Licence"},
        {&type, "Type"},       {&components, "Components"},   {&destination, "Destination"},
        {&desktop, "Desktop"}, {&summary, "Summary"},         {&progress, "Progress"},
        {&finish, "Finish"},   {&interrupted, "Interrupted"}, {&languageDialog, "Language"}};
    for (const auto& [page, name] : pages) ShowAndCheck(*page, language.name + " " + name);

    const TextLookup text = [&language](unsigned id) { return language.text(id); };
    BuiltInRemovalDialog builtIn(language.skin, text, [](InstallProgress&) {});
    ShowAndCheck(builtIn, language.name + " built-in removal");
    PipeRemovalWindow pipe(language.skin, text);
    ASSERT_TRUE(pipe.Open());
    CheckEveryScale(pipe.hwnd(), language.name + " pipe removal");
    pipe.Close();
  }
  ::CoUninitialize();
}

}  // namespace

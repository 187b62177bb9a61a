// The skinned controls on a real dialog (template 900 of controls_test.rc), driven from a timer inside the
// dialog's own modal loop, so every notification takes the path it takes on a wizard page.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/xml/xml_document.h"
#include "framework/base/file_access.h"
#include "framework/base/handles.h"
#include "framework/ui/dialog.h"
#include "i18n/language_catalogue.h"
#include "i18n/string_catalogue.h"
#include "i18n/win_string_sources.h"
#include "install_test_helpers.h"
#include "page_test_helpers.h"
#include "tests/driver/gui_driver.h"
#include "tests/driver/walk.h"
#include "ui/controls/button_gradient.h"
#include "ui/controls/colour_edit.h"
#include "ui/controls/hyperlink_label.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/skin_image.h"

namespace {

constexpr int kTemplate = 900;
constexpr int kButton = 901;
constexpr int kOtherButton = 902;
constexpr int kLink = 903;
constexpr int kImage = 904;
constexpr int kEdit = 905;
constexpr int kPlainButton = 906;  // never attached
constexpr int kPlainText = 907;    // never attached
constexpr int kReadOnlyEdit = 908;
constexpr int kTestBitmap = 909;     // 2 x 2: red, green / blue, yellow
constexpr int kMissingBitmap = 908;  // no bitmap has this ID

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kOrangeLeft = RGB(250, 196, 88);
constexpr COLORREF kOrangeBottom = RGB(229, 151, 0);
constexpr COLORREF kBlueLeft = RGB(153, 198, 252);
constexpr COLORREF kBlueTop = RGB(162, 201, 255);
constexpr COLORREF kMarker = RGB(255, 0, 255);

// --- the dialog --------------------------------------------------------------------------------------

class ControlsDialog : public Dialog {
 public:
  using Script = std::function<void(ControlsDialog&)>;

  ControlsDialog() : Dialog(kTemplate) {}

  // Shows the dialog, runs `script` from its first timer tick, then closes it.
  void Run(Script script) {
    script_ = std::move(script);
    ran_ = false;
    EXPECT_EQ(DoModal(), IDOK);
    EXPECT_TRUE(ran_) << "the script never ran";
  }

  SkinButton button;
  SkinButton other;
  HyperlinkLabel link;
  SkinImage image;
  ColourEdit edit;
  ColourEdit readOnlyEdit;
  bool attached = false;
  std::vector<int> commandsSeen;  // commands that reached the dialog rather than a control

 protected:
  bool OnInitDialog() override {
    attached = button.Attach(hwnd(), kButton) && other.Attach(hwnd(), kOtherButton) && link.Attach(hwnd(), kLink) &&
               image.Attach(hwnd(), kImage) && edit.Attach(hwnd(), kEdit) && readOnlyEdit.Attach(hwnd(), kReadOnlyEdit);
    ::SetTimer(hwnd(), kRunTimer, 10, nullptr);
    return true;
  }
  bool OnCommand(int id, int /*notifyCode*/, HWND /*control*/) override {
    commandsSeen.push_back(id);
    return false;
  }
  void OnTimer(UINT_PTR id) override {
    if (id != kRunTimer) return;
    ::KillTimer(hwnd(), kRunTimer);
    ::ShowWindow(hwnd(), SW_SHOW);
    ::UpdateWindow(hwnd());
    ran_ = true;
    if (script_) script_(*this);
    End(IDOK);
  }

 private:
  static constexpr UINT_PTR kRunTimer = 77;
  Script script_;
  bool ran_ = false;
};

// --- helpers -------------------------------------------------------------------------------------------

// Dispatches messages (timers, paints, mouse tracking) until `done` or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (done && done()) return true;
    if (::GetTickCount() - start >= timeoutMs) return false;
    ::Sleep(5);
  }
}
void Pump(DWORD ms) { PumpUntil(nullptr, ms); }

// Puts the cursor at a screen point and waits until messages of this thread carry that position. Under
// Wine, and more so on a busy machine, the motion event of an earlier cursor move can arrive late and put
// the position messages are stamped with back where it was, while GetCursorPos already tells the new one.
constexpr UINT kStampProbe = WM_APP + 0x51;
bool PlaceCursor(HWND page, POINT where) {
  for (int attempt = 0; attempt < 40; ++attempt) {
    ::SetCursorPos(where.x, where.y);
    Pump(25);
    ::PostMessageW(page, kStampProbe, 0, 0);
    MSG probe;
    if (::PeekMessageW(&probe, page, kStampProbe, kStampProbe, PM_REMOVE) && probe.pt.x == where.x &&
        probe.pt.y == where.y) {
      return true;
    }
  }
  return false;
}

POINT CentreOnScreen(HWND window) {
  RECT r;
  ::GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Pixels of a 32-bit top-down DIB, read back as COLORREF.
using page_test::Image;

// What the window shows now: repaints it, then copies its client area from its own device context.
std::unique_ptr<Image> CaptureClient(HWND window) {
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  RECT client;
  ::GetClientRect(window, &client);
  auto image = std::make_unique<Image>(client.right, client.bottom, kMarker);
  HDC dc = ::GetDC(window);
  ::BitBlt(image->dc(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  ::ReleaseDC(window, dc);
  return image;
}

// The button's own drawing for an item state, into a fresh picture of the page's button size.
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 24;
std::unique_ptr<Image> DrawButton(SkinButton& button, UINT itemState) {
  auto image = std::make_unique<Image>(kButtonWidth, kButtonHeight, kMarker);
  button.Draw(image->dc(), {0, 0, kButtonWidth, kButtonHeight}, itemState);
  return image;
}

RECT Inner(int width, int height) {
  RECT r = {0, 0, width, height};
  ::InflateRect(&r, -::GetSystemMetrics(SM_CXEDGE), -::GetSystemMetrics(SM_CYEDGE));
  return r;
}

COLORREF Gradient(bool hover, bool active, int rowOffset, int height) {
  const GradientColour c = GradientStepColour(hover, active, GradientStepForRow(rowOffset, height));
  return RGB(c.red, c.green, c.blue);
}

int Brightness(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); }

std::wstring WindowText(HWND window) {
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  return text;
}

// A point inside the gradient, clear of frame pens and text: near the left, two rows above the bottom.
POINT GradientProbe(const RECT& inner) { return {inner.left + 4, inner.bottom - 2}; }

// --- SkinButton ----------------------------------------------------------------------------------------

TEST(SkinButtonAttach, BecomesOwnerDrawnAndKeepsItsText) {
  ControlsDialog dialog;
  dialog.Run([](ControlsDialog& d) {
    ASSERT_TRUE(d.attached);
    EXPECT_EQ(d.button.hwnd(), d.Item(kButton));
    EXPECT_EQ(::GetWindowLongPtrW(d.Item(kButton), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(WindowText(d.Item(kButton)), L"&Next>");
    // The template's buttons are plain: only attachment makes them owner-drawn.
    EXPECT_EQ(::GetWindowLongPtrW(d.Item(kPlainButton), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(d.button.hover(), 0);
    EXPECT_EQ(d.button.tracking(), 0);
  });
  EXPECT_EQ(dialog.button.hwnd(), nullptr) << "the window went with its dialog";
}

TEST(SkinButtonHover, NotificationsSetAndClearTheFlags) {
  ControlsDialog dialog;
  dialog.Run([](ControlsDialog& d) {
    HWND button = d.Item(kButton);
    ::SendMessageW(button, WM_MOUSEHOVER, 0, 0);
    EXPECT_EQ(d.button.hover(), 1);
    ::SendMessageW(button, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(d.button.hover(), 0);
    EXPECT_EQ(d.button.tracking(), 0);
  });
}

TEST(SkinButtonHover, RealMouseTrackingAndResetState) {
  ControlsDialog dialog;
  dialog.Run([](ControlsDialog& d) {
    HWND button = d.Item(kButton);
    const POINT centre = CentreOnScreen(button);
    ASSERT_TRUE(PlaceCursor(d.hwnd(), centre));
    ASSERT_EQ(::WindowFromPoint(centre), button);
    ::SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(d.button.tracking(), 1);
    // Hover time is 1 ms: the system notices the resting mouse almost at once. On a fresh display Wine
    // sometimes drops the first request; a second move asks again, as a real mouse would.
    bool hovered = PumpUntil([&] { return d.button.hover() == 1; }, 2000);
    for (int again = 0; again < 2 && !hovered; ++again) {
      ::SendMessageW(button, WM_MOUSELEAVE, 0, 0);
      ::SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
      hovered = PumpUntil([&] { return d.button.hover() == 1; }, 2000);
    }
    EXPECT_TRUE(hovered) << "no hover notification";

    d.button.ResetState();
    EXPECT_EQ(d.button.hover(), 0);
    EXPECT_EQ(d.button.tracking(), 0);
    ::SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(d.button.tracking(), 1) << "the next move after ResetState must request tracking again";

    ASSERT_TRUE(PlaceCursor(d.hwnd(), {0, 0}));
    EXPECT_TRUE(PumpUntil([&] { return d.button.tracking() == 0; }, 2000)) << "no leave notification";
    EXPECT_EQ(d.button.hover(), 0);
  });
}

// What each state draws: the frame's pens, the gradient's column, the dotted focus rectangle (only where a frame
// is drawn, whose left column would otherwise be one pen colour from top to bottom) and the flags it sets.
TEST(SkinButtonDrawing, FrameGradientAndFlagsFollowTheState) {
  struct State {
    const char* name;
    bool hover;
    UINT itemState;
    bool orange, blue, gradientHover, gradientActive;
    int focused, active;
    int focusRectangle;  // -1: no frame to look at
  };
  const State states[] = {
      {"plain", false, 0, false, false, false, false, 0, 0, -1},
      {"hover: the orange frame and its own column", true, 0, true, false, true, false, 0, 0, 0},
      {"focus: the blue frame and the dotted rectangle", false, ODS_FOCUS, false, true, false, true, 1, 1, 1},
      {"hovered and focused: orange, no dotted rectangle", true, ODS_FOCUS, true, false, true, true, 1, 1, 0},
      {"pressed: the active column, not focused", false, ODS_SELECTED, false, false, false, true, 0, 1, -1},
      {"default: the active column", false, ODS_DEFAULT, false, false, false, true, 0, 1, -1},
      {"disabled", false, ODS_DISABLED, false, false, false, false, 0, 0, -1},
  };
  ControlsDialog dialog;
  dialog.Run([&states](ControlsDialog& d) {
    const RECT inner = Inner(kButtonWidth, kButtonHeight);
    const int height = inner.bottom - inner.top;
    const POINT probe = GradientProbe(inner);
    for (const State& state : states) {
      SCOPED_TRACE(state.name);
      ::SendMessageW(d.Item(kButton), state.hover ? WM_MOUSEHOVER : WM_MOUSELEAVE, 0, 0);
      auto image = DrawButton(d.button, state.itemState);
      EXPECT_EQ(image->Count(kOrangeLeft) > 0, state.orange);
      EXPECT_EQ(image->Count(kOrangeBottom) > 0, state.orange);
      EXPECT_EQ(image->Count(kBlueLeft) > 0, state.blue);
      EXPECT_EQ(image->Count(kBlueTop) > 0, state.blue);
      EXPECT_EQ(image->At(probe.x, probe.y),
                Gradient(state.gradientHover, state.gradientActive, probe.y - inner.top, height));
      EXPECT_EQ(d.button.focused(), state.focused);
      EXPECT_EQ(d.button.active(), state.active);
      if (state.focusRectangle < 0) continue;
      std::set<COLORREF> leftColumn;
      for (int y = inner.top + 3; y < inner.bottom - 3; ++y) leftColumn.insert(image->At(inner.left, y));
      EXPECT_EQ(leftColumn.size() > 1, state.focusRectangle == 1);
    }
  });
}

TEST(SkinButtonDrawing, PlainButtonHasOutlineGradientAndCentredText) {
  ControlsDialog dialog;
  dialog.Run([](ControlsDialog& d) {
    auto image = DrawButton(d.button, 0);
    const RECT inner = Inner(kButtonWidth, kButtonHeight);
    const int height = inner.bottom - inner.top;
    EXPECT_EQ(image->At(kButtonWidth / 2, 0), kBlack) << "outline";
    EXPECT_EQ(image->At(kButtonWidth / 2, kButtonHeight - 1), kBlack) << "outline";
    EXPECT_EQ(image->At(inner.left + 4, inner.top), kWhite) << "gradient starts white";
    const COLORREF bottom = image->At(inner.left + 4, inner.bottom - 1);
    EXPECT_EQ(bottom, Gradient(false, false, height - 1, height));
    EXPECT_LT(Brightness(bottom), Brightness(kWhite));
    // The label is drawn, centred.
    const RECT text = image->DarkBox({inner.left + 2, inner.top + 1, inner.right - 2, inner.bottom - 1});
    ASSERT_LT(text.left, text.right) << "no text drawn";
    // Centred on the measured text, whose "&" is not drawn: a few pixels of slack.
    EXPECT_NEAR((text.left + text.right) / 2.0, kButtonWidth / 2.0, 6.0);
  });
}

TEST(SkinButtonDrawing, PressedTextMovesOnePixelRightAndDown) {
  ControlsDialog dialog;
  dialog.Run([](ControlsDialog& d) {
    const RECT inner = Inner(kButtonWidth, kButtonHeight);
    const int height = inner.bottom - inner.top;
    const POINT probe = GradientProbe(inner);
    ASSERT_NE(Gradient(false, true, probe.y - inner.top, height), Gradient(false, false, probe.y - inner.top, height));
    auto plain = DrawButton(d.button, 0);
    auto pressed = DrawButton(d.button, ODS_SELECTED);
    const RECT area = {inner.left + 2, inner.top + 1, inner.right - 2, inner.bottom - 1};
    const RECT up = plain->DarkBox(area);
    const RECT down = pressed->DarkBox(area);
    ASSERT_LT(up.left, up.right);
    EXPECT_EQ(down.left, up.left + 1);
    EXPECT_EQ(down.top, up.top + 1);
    EXPECT_EQ(down.right, up.right + 1);
    EXPECT_EQ(down.bottom, up.bottom + 1);
  });
}

TEST(SkinButtonDrawing, DisabledKeepsTheGradientWithEmbossedText) {
  ControlsDialog dialog;
  dialog.Run([](ControlsDialog& d) {
    const RECT inner = Inner(kButtonWidth, kButtonHeight);
    const int height = inner.bottom - inner.top;
    auto image = DrawButton(d.button, ODS_DISABLED);
    EXPECT_EQ(image->At(inner.left + 4, inner.top), kWhite);
    EXPECT_EQ(image->At(inner.left + 4, inner.bottom - 1), Gradient(false, false, height - 1, height));
    const RECT textArea = {inner.left + 2, inner.top + 1, inner.right - 2, inner.bottom - 1};
    EXPECT_GT(image->CountIn(::GetSysColor(COLOR_3DSHADOW), textArea), 0) << "no grey text";
    EXPECT_EQ(image->CountIn(kBlack, textArea), 0) << "disabled text is not black";
    auto enabled = DrawButton(d.button, 0);
    EXPECT_GT(enabled->CountIn(kBlack, textArea), 0);
  });
}

TEST(SkinButtonDrawing, OnScreenThroughTheDialog) {
  ControlsDialog dialog;
  dialog.Run([](ControlsDialog& d) {
    HWND button = d.Item(kButton);
    ::MoveWindow(button, 20, 20, kButtonWidth, kButtonHeight, TRUE);
    ::SetFocus(d.Item(kEdit));
    const RECT inner = Inner(kButtonWidth, kButtonHeight);
    const int height = inner.bottom - inner.top;

    auto plain = CaptureClient(button);
    EXPECT_EQ(plain->At(kButtonWidth / 2, 0), kBlack);
    EXPECT_EQ(plain->At(inner.left + 4, inner.top), kWhite);
    EXPECT_EQ(plain->At(inner.left + 4, inner.bottom - 1), Gradient(false, false, height - 1, height));
    EXPECT_EQ(plain->Count(kBlueLeft) + plain->Count(kOrangeLeft), 0);

    ::SetFocus(button);
    auto focused = CaptureClient(button);
    EXPECT_GT(focused->Count(kBlueLeft), 0) << "focus frame missing on screen";

    ::SendMessageW(button, WM_MOUSEHOVER, 0, 0);
    auto hovered = CaptureClient(button);
    EXPECT_GT(hovered->Count(kOrangeLeft), 0) << "hover frame missing on screen";
    EXPECT_EQ(hovered->Count(kBlueLeft), 0);

    ::SetFocus(d.Item(kEdit));
    ::EnableWindow(button, FALSE);
    d.button.ResetState();
    auto disabled = CaptureClient(button);
    EXPECT_EQ(disabled->At(inner.left + 4, inner.top), kWhite);
    EXPECT_EQ(disabled->At(inner.left + 4, inner.bottom - 1), Gradient(false, false, height - 1, height));
  });
}

// --- HyperlinkLabel ------------------------------------------------------------------------------------

TEST(HyperlinkLabelAttach, NotifyStyleUnderlineFontAndTooltip) {
  ControlsDialog dialog;
  dialog.Run([](ControlsDialog& d) {
    HWND label = d.Item(kLink);
    EXPECT_NE(::GetWindowLongPtrW(label, GWL_STYLE) & SS_NOTIFY, 0);
    EXPECT_EQ(::GetWindowLongPtrW(d.Item(kPlainText), GWL_STYLE) & SS_NOTIFY, 0) << "the template has no notify";

    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font, d.link.underlineFont());
    LOGFONTW underlined = {}, plain = {};
    ASSERT_TRUE(::GetObjectW(font, sizeof(underlined), &underlined));
    HFONT plainFont = reinterpret_cast<HFONT>(::SendMessageW(d.Item(kPlainText), WM_GETFONT, 0, 0));
    ASSERT_TRUE(::GetObjectW(plainFont, sizeof(plain), &plain));
    EXPECT_TRUE(underlined.lfUnderline);
    EXPECT_FALSE(plain.lfUnderline);
    EXPECT_EQ(std::wstring(underlined.lfFaceName), std::wstring(plain.lfFaceName));
    EXPECT_EQ(underlined.lfHeight, plain.lfHeight);

    HWND tip = d.link.tooltip();
    ASSERT_TRUE(::IsWindow(tip));
    wchar_t cls[64] = {};
    ::GetClassNameW(tip, cls, 64);
    EXPECT_STREQ(cls, TOOLTIPS_CLASSW);
    EXPECT_EQ(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(::SendMessageW(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 100);
    EXPECT_EQ(::SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), 200);

    wchar_t text[128] = L"x";
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.lpszText = text;
    ASSERT_TRUE(::SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(tool.uId, 1u);
    EXPECT_EQ(tool.hwnd, label);
    EXPECT_STREQ(text, L"");
    RECT client;
    ::GetClientRect(label, &client);
    EXPECT_TRUE(::EqualRect(&tool.rect, &client));

    d.link.SetTooltipText(L"https://www.kelto.example/");
    tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = label;
    tool.uId = 1;
    tool.lpszText = text;
    ::SendMessageW(tip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, L"https://www.kelto.example/");
    d.link.SetTooltipText(L"second");
    ::SendMessageW(tip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, L"second");
    EXPECT_EQ(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1) << "the text is replaced, not added";
  });
}

TEST(HyperlinkLabelColours, BlueNormallyRedUnderTheMouseOnANullBrush) {
  ControlsDialog dialog;
  dialog.Run([](ControlsDialog& d) {
    HWND label = d.Item(kLink);
    Image canvas(4, 4, kMarker);
    HDC dc = canvas.dc();
    auto ask = [&](HWND control) {
      return reinterpret_cast<HBRUSH>(
          ::SendMessageW(d.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    };
    EXPECT_EQ(ask(label), ::GetStockObject(NULL_BRUSH));
    EXPECT_EQ(::GetTextColor(dc), RGB(29, 90, 142));
    EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);

    EXPECT_TRUE(PlaceCursor(d.hwnd(), {0, 0}));
    ::SendMessageW(label, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(d.link.hover(), 1);
    EXPECT_EQ(ask(label), ::GetStockObject(NULL_BRUSH));
    EXPECT_EQ(::GetTextColor(dc), RGB(255, 0, 0));

    // Other statics keep the dialog's own colours.
    ::SetBkMode(dc, OPAQUE);
    HBRUSH plain = ask(d.Item(kPlainText));
    EXPECT_NE(plain, ::GetStockObject(NULL_BRUSH));
    EXPECT_EQ(::GetBkMode(dc), OPAQUE);
  });
}

TEST(HyperlinkLabelHover, LeaveTimerClearsHoverOnceTheCursorIsOutside) {
  ControlsDialog dialog;
  dialog.Run([](ControlsDialog& d) {
    HWND label = d.Item(kLink);
    ASSERT_TRUE(PlaceCursor(d.hwnd(), CentreOnScreen(label)));
    ::SendMessageW(label, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(d.link.hover(), 1);
    Pump(350);  // several timer periods with the cursor inside
    EXPECT_EQ(d.link.hover(), 1) << "hover must last while the cursor rests on the label";

    // Off the label onto the page, below the last row of controls: the label hears nothing more. Its timer
    // reads the position stamped on the timer message; Wine repeats there the position of the thread's
    // last message, which PlaceCursor leaves at the new spot as the page's own mouse messages would.
    RECT page;
    ::GetWindowRect(d.hwnd(), &page);
    ASSERT_TRUE(PlaceCursor(d.hwnd(), {(page.left + page.right) / 2, page.bottom - 8}));
    const DWORD start = ::GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return d.link.hover() == 0; }, 2000)) << "leaving was never noticed";
    const DWORD took = ::GetTickCount() - start;
    EXPECT_LT(took, 400u) << "leaving should be noticed within about one 100 ms period";
    EXPECT_FALSE(::KillTimer(label, HyperlinkLabel::kLeaveTimer)) << "the leave timer should have stopped";
  });
}

TEST(HyperlinkLabelCursor, HandFromTheHelpViewerOrTheDefaultCursor) {
  ControlsDialog dialog;
  dialog.Run([](ControlsDialog& d) {
    HWND label = d.Item(kLink);
    const LRESULT handled =
        ::SendMessageW(label, WM_SETCURSOR, reinterpret_cast<WPARAM>(label), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    if (d.link.cursor()) {
      EXPECT_TRUE(handled);
      EXPECT_EQ(::GetCursor(), d.link.cursor());
    } else {
      // Wine's help viewer has no cursor 106: the label keeps the class's arrow.
      EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_ARROW));
    }
    ::testing::Test::RecordProperty("hand_cursor_from_winhlp32", d.link.cursor() ? "yes" : "no");
    std::printf("[ info ] winhlp32.exe cursor 106: %s\n", d.link.cursor() ? "loaded" : "unavailable, default cursor");
  });
  EXPECT_EQ(LoadPointingHandCursor(L"C:\\no such folder\\winhlp32.exe"), nullptr);
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  EXPECT_EQ(LoadPointingHandCursor(self), nullptr) << "a program without cursor 106";
}

// Top-level windows of the given class that are not in `known`.
struct ClassSearch {
  const wchar_t* className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectByClass(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<ClassSearch*>(data);
  wchar_t cls[64] = {};
  ::GetClassNameW(window, cls, 64);
  if (std::wstring(cls) == search->className) search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> NewWindowsOfClass(const wchar_t* className, const std::vector<HWND>& known) {
  ClassSearch search{className, {}};
  ::EnumWindows(&CollectByClass, reinterpret_cast<LPARAM>(&search));
  std::vector<HWND> fresh;
  for (HWND window : search.found) {
    if (std::find(known.begin(), known.end(), window) == known.end()) fresh.push_back(window);
  }
  return fresh;
}

BOOL CALLBACK CountVisible(HWND window, LPARAM data) {
  if (::IsWindowVisible(window)) ++*reinterpret_cast<int*>(data);
  return TRUE;
}

int VisibleWindowsOfThisThread() {
  int count = 0;
  ::EnumThreadWindows(::GetCurrentThreadId(), &CountVisible, reinterpret_cast<LPARAM>(&count));
  return count;
}

void CloseAndEnd(HWND window) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  UniqueHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid));
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  if (process && ::WaitForSingleObject(process.get(), 5000) != WAIT_OBJECT_0) ::TerminateProcess(process.get(), 1);
}

TEST(HyperlinkLabelClick, OpensTheAddressWithTheShellAndFailsSilently) {
  // The prefix's web browser is bent to Notepad for the test, so that an opened address shows a window.
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
  const std::wstring notepad = std::wstring(system) + L"\\notepad.exe";
  const std::wstring command = L"Software\\Classes\\http\\shell\\open\\command";
  const std::wstring browser = sys::ReadValue(HKEY_LOCAL_MACHINE, command, nullptr);
  ASSERT_TRUE(sys::WriteValue(HKEY_LOCAL_MACHINE, command, nullptr, L"\"" + notepad + L"\" \"%1\""));
  struct Restore {
    std::wstring key, text;
    ~Restore() { sys::WriteValue(HKEY_LOCAL_MACHINE, key, nullptr, text); }
  } restore{command, browser};
  ControlsDialog dialog;
  dialog.Run([&](ControlsDialog& d) {
    HWND label = d.Item(kLink);
    auto click = [&] {
      ::SendMessageW(d.hwnd(), WM_COMMAND, MAKEWPARAM(kLink, STN_CLICKED), reinterpret_cast<LPARAM>(label));
    };
    d.link.url = L"C:\\no such folder\\nothing.kqz";
    click();
    Pump(300);
    EXPECT_EQ(VisibleWindowsOfThisThread(), 1) << "a failed open shows nothing";
    EXPECT_TRUE(d.commandsSeen.empty()) << "the label handles its own click";

    const std::vector<HWND> before = NewWindowsOfClass(L"Notepad", {});
    // A program named as the address (a language file may name anything) is never started.
    d.link.url = notepad;
    click();
    Pump(1500);
    EXPECT_TRUE(NewWindowsOfClass(L"Notepad", before).empty()) << "a program was started from the link";

    d.link.url = L"http://kelto.example/quorbel";
    click();
    std::vector<HWND> opened;
    PumpUntil([&] { return !(opened = NewWindowsOfClass(L"Notepad", before)).empty(); }, 10000);
    EXPECT_FALSE(opened.empty()) << "the shell did not open the address";
    for (HWND window : opened) CloseAndEnd(window);
    EXPECT_TRUE(d.commandsSeen.empty());
  });
}

TEST(HyperlinkLabelLifecycle, DestroyingTheDialogReleasesFontTooltipAndTimer) {
  ControlsDialog dialog;
  HWND firstTip = nullptr;
  HFONT firstFont = nullptr;
  dialog.Run([&](ControlsDialog& d) {
    firstTip = d.link.tooltip();
    firstFont = d.link.underlineFont();
    ::SendMessageW(d.Item(kLink), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));  // leaves the timer running
  });
  EXPECT_FALSE(::IsWindow(firstTip));
  EXPECT_EQ(::GetObjectType(firstFont), 0u) << "underline font not deleted";
  EXPECT_EQ(dialog.link.tooltip(), nullptr);
  EXPECT_EQ(dialog.link.underlineFont(), nullptr);
  EXPECT_EQ(dialog.link.hover(), 0);

  // A second showing attaches afresh: one new tooltip with one tool.
  dialog.Run([&](ControlsDialog& d) {
    ASSERT_TRUE(::IsWindow(d.link.tooltip()));
    EXPECT_EQ(::SendMessageW(d.link.tooltip(), TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_NE(d.link.underlineFont(), nullptr);
  });
}

// --- SkinImage -----------------------------------------------------------------------------------------

TEST(SkinImage, PaintsTheBitmapStretchedOverTheWholeControl) {
  ControlsDialog dialog;
  dialog.Run([](ControlsDialog& d) {
    HWND image = d.Item(kImage);
    EXPECT_TRUE(d.image.SetBitmap(kTestBitmap));
    EXPECT_EQ(d.image.resourceId(), kTestBitmap);
    ::MoveWindow(image, 10, 90, 60, 40, TRUE);
    auto shown = CaptureClient(image);
    ASSERT_EQ(shown->width(), 60);
    ASSERT_EQ(shown->height(), 40);
    // Each source pixel covers one quadrant; sample them away from the seams.
    EXPECT_EQ(shown->At(5, 5), RGB(255, 0, 0));
    EXPECT_EQ(shown->At(24, 15), RGB(255, 0, 0));
    EXPECT_EQ(shown->At(35, 5), RGB(0, 255, 0));
    EXPECT_EQ(shown->At(55, 15), RGB(0, 255, 0));
    EXPECT_EQ(shown->At(5, 25), RGB(0, 0, 255));
    EXPECT_EQ(shown->At(24, 35), RGB(0, 0, 255));
    EXPECT_EQ(shown->At(35, 25), RGB(255, 255, 0));
    EXPECT_EQ(shown->At(59, 39), RGB(255, 255, 0));
  });
}

TEST(SkinImage, MissingBitmapFailsAndPaintsNothing) {
  ControlsDialog dialog;
  dialog.Run([](ControlsDialog& d) {
    HWND image = d.Item(kImage);
    ASSERT_TRUE(d.image.SetBitmap(kTestBitmap));
    HBITMAP first = d.image.bitmap();
    EXPECT_FALSE(d.image.SetBitmap(kMissingBitmap));
    EXPECT_EQ(d.image.resourceId(), kMissingBitmap);
    EXPECT_EQ(d.image.bitmap(), nullptr);
    EXPECT_EQ(::GetObjectType(first), 0u) << "the earlier bitmap must be deleted";

    Image canvas(30, 20, kMarker);
    d.image.Paint(canvas.dc(), {0, 0, 30, 20});
    EXPECT_EQ(canvas.Count(kMarker), 30 * 20) << "nothing painted without a bitmap";

    // On screen only the dialog's background remains where the picture was.
    ::MoveWindow(image, 10, 90, 60, 40, TRUE);
    ::RedrawWindow(d.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    auto shown = CaptureClient(image);
    EXPECT_EQ(shown->Count(kWhite), 60 * 40);
  });
}

TEST(SkinImage, ReplacingTheBitmapDeletesTheOldOne) {
  SkinImage image;  // loading needs no window
  ASSERT_TRUE(image.SetBitmap(kTestBitmap));
  HBITMAP first = image.bitmap();
  ASSERT_TRUE(image.SetBitmap(kTestBitmap));
  EXPECT_EQ(::GetObjectType(first), 0u);
}

// --- ColourEdit ----------------------------------------------------------------------------------------

TEST(ColourEdit, BlackOnItsWhiteBrushForEditableAndReadOnlyEdits) {
  ControlsDialog dialog;
  dialog.Run([](ControlsDialog& d) {
    Image canvas(4, 4, kMarker);
    HDC dc = canvas.dc();
    ::SetTextColor(dc, RGB(1, 2, 3));
    ::SetBkColor(dc, RGB(4, 5, 6));
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(d.hwnd(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(d.Item(kEdit))));
    EXPECT_EQ(brush, d.edit.backBrush());
    EXPECT_EQ(::GetTextColor(dc), kBlack);
    EXPECT_EQ(::GetBkColor(dc), kWhite);
    LOGBRUSH info = {};
    ASSERT_TRUE(::GetObjectW(brush, sizeof(info), &info));
    EXPECT_EQ(info.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(info.lbColor, kWhite);

    ::SetTextColor(dc, RGB(1, 2, 3));
    brush = reinterpret_cast<HBRUSH>(::SendMessageW(d.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                    reinterpret_cast<LPARAM>(d.Item(kReadOnlyEdit))));
    EXPECT_EQ(brush, d.readOnlyEdit.backBrush());
    EXPECT_EQ(::GetTextColor(dc), kBlack);
  });
}

// --- resources over many showings ----------------------------------------------------------------------

// One showing as a page does it: attach, set texts and pictures, hover, draw, close.
void ExerciseOnce(ControlsDialog& dialog) {
  dialog.Run([](ControlsDialog& d) {
    d.link.url = L"www.kelto.example";
    d.link.SetTooltipText(L"https://www.kelto.example/");
    d.image.SetBitmap(kTestBitmap);
    ::SendMessageW(d.Item(kButton), WM_MOUSEHOVER, 0, 0);
    ::SendMessageW(d.Item(kLink), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    ::RedrawWindow(d.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    auto image = DrawButton(d.button, ODS_FOCUS);
    d.button.ResetState();
  });
}

TEST(SkinControlsResources, ReleasedHandlesAreGoneAfterEachShowing) {
  ControlsDialog dialog;
  for (int i = 0; i < 3; ++i) {
    HBITMAP bitmap = nullptr;
    HFONT font = nullptr;
    HWND tip = nullptr;
    dialog.Run([&](ControlsDialog& d) {
      ASSERT_TRUE(d.image.SetBitmap(kTestBitmap));
      bitmap = d.image.bitmap();
      font = d.link.underlineFont();
      tip = d.link.tooltip();
    });
    EXPECT_EQ(::GetObjectType(font), 0u);
    EXPECT_FALSE(::IsWindow(tip));
    // The picture is kept for the next showing, as the page sets it again anyway.
    EXPECT_EQ(::GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
  }
}

TEST(SkinControlsResources, GdiAndUserObjectCountsStayFlatOver50Showings) {
  if (::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS) == 0) {
    GTEST_SKIP() << "GetGuiResources reports nothing here (a stub under Wine); the handle checks above stand in";
  }
  {
    ControlsDialog warmUp;
    ExerciseOnce(warmUp);
  }
  const DWORD gdiBefore = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD userBefore = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
  {
    ControlsDialog dialog;
    for (int i = 0; i < 50; ++i) ExerciseOnce(dialog);
  }
  for (int i = 0; i < 50; ++i) {
    ControlsDialog dialog;  // pens and brushes of the controls come and go with their objects
    ExerciseOnce(dialog);
  }
  const DWORD gdiAfter = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD userAfter = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
  EXPECT_LE(gdiAfter, gdiBefore + 5) << "GDI objects grew from " << gdiBefore << " to " << gdiAfter;
  EXPECT_LE(userAfter, userBefore + 5) << "USER objects grew from " << userBefore << " to " << userAfter;
}

}  // namespace

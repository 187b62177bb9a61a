#include "ui/controls/skin_button.h"

#include <commctrl.h>

#include <cstdlib>

#include <oleacc.h>

#include "framework/ui/accessible.h"
#include "framework/ui/dialog.h"
#include "framework/ui/dpi.h"
#include "ui/controls/button_gradient.h"

namespace {

UniqueGdi FramePen(int width, COLORREF colour) { return UniqueGdi(::CreatePen(PS_INSIDEFRAME, width, colour)); }

// The longest label the drawing reads, with room for the terminator.
constexpr int kTextBuffer = 260;
// Below this a shrunk label would no longer be legible; it is drawn at this size and clipped.
constexpr int kSmallestFontHeight = 7;

SIZE TextSize(HDC dc, HFONT font, const std::wstring& text, UINT format, int width) {
  HGDIOBJ old = ::SelectObject(dc, font);
  RECT box{0, 0, width, 0};
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format | DT_CALCRECT);
  ::SelectObject(dc, old);
  return {box.right - box.left, box.bottom - box.top};
}

// With a pixel to spare on every side: a glyph's ink may reach the edge of its text box.
bool Within(const RECT& inner, const RECT& r) {
  return r.left > inner.left && r.top > inner.top && r.right < inner.right && r.bottom < inner.bottom;
}

RECT Centred(const RECT& inner, SIZE size) {
  const int x = (inner.left + inner.right) / 2 - size.cx / 2;
  const int y = (inner.top + inner.bottom) / 2 - size.cy / 2;
  return {x, y, x + size.cx, y + size.cy};
}

}  // namespace

SkinButton::SkinButton() { MakePens(kLayoutDpi); }

// The frame's lines are as thick at every scale as they look at 96 DPI.
void SkinButton::MakePens(int dpi) {
  const auto pen = [dpi](int width, COLORREF colour) { return FramePen(ScaleToDpi(width, dpi), colour); };
  framePen_ = pen(1, RGB(0, 0, 0));
  hoverPens_ = {pen(3, RGB(250, 196, 88)), pen(3, RGB(251, 202, 106)), pen(2, RGB(252, 210, 121)),
                pen(2, RGB(229, 151, 0))};
  focusPens_ = {pen(3, RGB(153, 198, 252)), pen(3, RGB(162, 189, 252)), pen(2, RGB(162, 201, 255)),
                pen(2, RGB(162, 201, 255))};
  pensDpi_ = dpi;
}

bool SkinButton::Attach(HWND dialog, int id) {
  if (!Control::Attach(dialog, id)) return false;
  // Templates keep plain push buttons; the owner-draw type is ours to add.
  const LONG_PTR style = ::GetWindowLongPtrW(hwnd(), GWL_STYLE);
  ::SetWindowLongPtrW(hwnd(), GWL_STYLE, style | BS_OWNERDRAW);
  ::InvalidateRect(hwnd(), nullptr, TRUE);
  return true;
}

void SkinButton::ResetState() {
  hover_ = 0;
  tracking_ = 0;
}

LRESULT SkinButton::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kReflectBase + WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      Draw(item->hDC, item->rcItem, item->itemState);
      return TRUE;
    }
    case WM_MOUSEMOVE:
      if (!tracking_) {
        TRACKMOUSEEVENT request = {sizeof(request), TME_LEAVE | TME_HOVER, hwnd(), 1};
        tracking_ = ::TrackMouseEvent(&request) ? 1 : 0;
      }
      break;
    case WM_MOUSEHOVER:
      hover_ = 1;
      ::InvalidateRect(hwnd(), nullptr, TRUE);
      return 0;
    case WM_MOUSELEAVE:
      hover_ = 0;
      tracking_ = 0;
      ::InvalidateRect(hwnd(), nullptr, FALSE);
      return 0;
    case WM_GETOBJECT:
      // Drawn by us, it is still a push button to a screen reader.
      return AnswerGetObject(hwnd(), wp, lp, {ROLE_SYSTEM_PUSHBUTTON, L"Press", nullptr});
    default: break;
  }
  return Default(msg, wp, lp);
}

RECT SkinButton::InnerRect(const RECT& rect, int dpi) {
  RECT inner = rect;
  ::InflateRect(&inner, -SystemMetricForDpi(SM_CXEDGE, dpi), -SystemMetricForDpi(SM_CYEDGE, dpi));
  return inner;
}

SkinButton::Label SkinButton::LayOutLabel(HDC dc, const RECT& inner, const std::wstring& text) const {
  Label label;
  label.font = reinterpret_cast<HFONT>(hwnd() ? ::SendMessageW(hwnd(), WM_GETFONT, 0, 0) : 0);
  if (!label.font) label.font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  const int width = inner.right - inner.left;
  // The usual drawing centres the extent of the text with its ampersands and draws it without them.
  HGDIOBJ old = ::SelectObject(dc, label.font);
  SIZE extent{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  ::SelectObject(dc, old);
  const SIZE drawn = TextSize(dc, label.font, text, DT_SINGLELINE, width);
  const RECT usual = Centred(inner, extent);
  label.rect = {usual.left, usual.top, usual.left + drawn.cx, usual.top + drawn.cy};
  if (Within(inner, label.rect)) return label;

  label.fitsAsIs = false;
  if (text.find(L' ') != std::wstring::npos) {
    const SIZE wrapped = TextSize(dc, label.font, text, DT_WORDBREAK | DT_CENTER, width);
    label.rect = Centred(inner, wrapped);
    label.twoLines = true;
    if (Within(inner, label.rect)) return label;
  }
  label.twoLines = false;
  LOGFONTW look{};
  ::GetObjectW(label.font, sizeof(look), &look);
  const int sign = look.lfHeight < 0 ? -1 : 1;
  const int smallest = hwnd() ? ScaleToDpi(kSmallestFontHeight, WindowDpi(hwnd())) : kSmallestFontHeight;
  for (int height = std::abs(look.lfHeight) - 1; height >= smallest; --height) {
    look.lfHeight = sign * height;
    label.smallerFont.reset(::CreateFontIndirectW(&look));
    if (!label.smallerFont) break;
    label.font = static_cast<HFONT>(label.smallerFont.get());
    label.rect = Centred(inner, TextSize(dc, label.font, text, DT_SINGLELINE, width));
    if (Within(inner, label.rect)) break;
  }
  return label;
}

void SkinButton::DrawFittedLabel(HDC dc, const Label& label, const std::wstring& text, UINT itemState) const {
  RECT box = label.rect;
  if (itemState & ODS_SELECTED) ::OffsetRect(&box, 1, 1);
  const UINT format = DT_CENTER | (label.twoLines ? DT_WORDBREAK : DT_SINGLELINE);
  HGDIOBJ oldFont = ::SelectObject(dc, label.font);
  const COLORREF oldColour = ::GetTextColor(dc);
  if (itemState & ODS_DISABLED) {
    // The embossed grey of a disabled label: a light copy one pixel down and right under a grey one.
    RECT light = box;
    ::OffsetRect(&light, 1, 1);
    ::SetTextColor(dc, ::GetSysColor(COLOR_3DHILIGHT));
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &light, format);
    ::SetTextColor(dc, ::GetSysColor(COLOR_3DSHADOW));
  }
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
  ::SetTextColor(dc, oldColour);
  ::SelectObject(dc, oldFont);
}

void SkinButton::Draw(HDC dc, const RECT& rect, UINT itemState) {
  const int saved = ::SaveDC(dc);
  wchar_t text[kTextBuffer] = {};
  const int length = hwnd() ? ::GetWindowTextW(hwnd(), text, kTextBuffer) : 0;

  const int dpi = hwnd() ? WindowDpi(hwnd()) : kLayoutDpi;
  if (dpi != pensDpi_) MakePens(dpi);
  HGDIOBJ oldPen = ::SelectObject(dc, framePen_.get());
  const int corner = ScaleToDpi(5, dpi);
  ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, corner, corner);
  ::SelectObject(dc, oldPen);

  focused_ = active_ = (itemState & ODS_FOCUS) ? 1 : 0;
  if (itemState & (ODS_SELECTED | ODS_DEFAULT)) active_ = 1;

  const RECT inner = InnerRect(rect, dpi);
  FillGradient(dc, inner);
  if (hover_ || focused_) DrawHighlightFrame(dc, inner);

  const int oldMode = ::SetBkMode(dc, TRANSPARENT);
  const Label label = LayOutLabel(dc, inner, std::wstring(text, length));
  if (!label.fitsAsIs) {
    DrawFittedLabel(dc, label, std::wstring(text, length), itemState);
    ::SetBkMode(dc, oldMode);
    ::RestoreDC(dc, saved);
    return;
  }
  HFONT font = reinterpret_cast<HFONT>(hwnd() ? ::SendMessageW(hwnd(), WM_GETFONT, 0, 0) : 0);
  HGDIOBJ oldFont = font ? ::SelectObject(dc, font) : nullptr;
  SIZE extent = {};
  ::GetTextExtentPoint32W(dc, text, length, &extent);
  int x = (inner.left + inner.right) / 2 - extent.cx / 2;
  int y = (inner.top + inner.bottom) / 2 - extent.cy / 2;
  if (itemState & ODS_SELECTED) {
    ++x;
    ++y;
  }
  // Prefix text: "&Next>" shows its mnemonic underlined rather than the ampersand.
  const UINT look = (itemState & ODS_DISABLED) ? DSS_DISABLED : DSS_NORMAL;
  ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text), length, x, y, extent.cx, extent.cy,
               DST_PREFIXTEXT | look);
  if (oldFont) ::SelectObject(dc, oldFont);
  ::SetBkMode(dc, oldMode);
  ::RestoreDC(dc, saved);
}

void SkinButton::FillGradient(HDC dc, const RECT& inner) const {
  const bool hover = hover_ != 0;
  const bool active = active_ != 0;
  std::array<UniqueGdi, kGradientSteps> brushes;
  for (int step = 0; step < kGradientSteps; ++step) {
    const GradientColour c = GradientStepColour(hover, active, step);
    brushes[step].reset(::CreateSolidBrush(RGB(c.red, c.green, c.blue)));
  }
  const int height = inner.bottom - inner.top;
  for (int y = inner.top; y < inner.bottom; ++y) {
    const RECT row = {inner.left, y, inner.right, y + 1};
    ::FillRect(dc, &row, static_cast<HBRUSH>(brushes[GradientStepForRow(y - inner.top, height)].get()));
  }
}

void SkinButton::DrawHighlightFrame(HDC dc, const RECT& inner) const {
  const EdgePens& pens = hover_ ? hoverPens_ : focusPens_;
  const int l = inner.left;
  const int t = inner.top;
  const int r = inner.right;
  const int b = inner.bottom;
  POINT oldPosition = {};
  HGDIOBJ oldPen = ::SelectObject(dc, pens[0].get());
  ::MoveToEx(dc, l, b - 1, &oldPosition);
  ::LineTo(dc, l, t + 1);
  ::SelectObject(dc, pens[1].get());
  ::MoveToEx(dc, r - 1, b - 1, nullptr);
  ::LineTo(dc, r - 1, t);
  ::SelectObject(dc, pens[2].get());
  ::MoveToEx(dc, l - 1, t, nullptr);
  ::LineTo(dc, r - 1, t);
  ::SelectObject(dc, pens[3].get());
  ::MoveToEx(dc, l, b, nullptr);
  ::LineTo(dc, r - 1, b);
  ::SelectObject(dc, oldPen);
  ::MoveToEx(dc, oldPosition.x, oldPosition.y, nullptr);
  if (focused_ && !hover_) ::DrawFocusRect(dc, &inner);
}

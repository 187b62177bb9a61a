#include "ui/controls/skin_button.h"

#include <commctrl.h>

#include "framework/ui/dialog.h"
#include "ui/controls/button_gradient.h"

namespace {

UniqueGdi FramePen(int width, COLORREF colour) { return UniqueGdi(::CreatePen(PS_INSIDEFRAME, width, colour)); }

// The longest label the drawing reads, with room for the terminator.
constexpr int kTextBuffer = 260;

}  // namespace

SkinButton::SkinButton()
    : framePen_(FramePen(1, RGB(0, 0, 0))),
      hoverPens_{FramePen(3, RGB(250, 196, 88)), FramePen(3, RGB(251, 202, 106)), FramePen(2, RGB(252, 210, 121)),
                 FramePen(2, RGB(229, 151, 0))},
      focusPens_{FramePen(3, RGB(153, 198, 252)), FramePen(3, RGB(162, 189, 252)), FramePen(2, RGB(162, 201, 255)),
                 FramePen(2, RGB(162, 201, 255))} {}

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
    default:
      break;
  }
  return Default(msg, wp, lp);
}

void SkinButton::Draw(HDC dc, const RECT& rect, UINT itemState) {
  const int saved = ::SaveDC(dc);
  wchar_t text[kTextBuffer] = {};
  const int length = hwnd() ? ::GetWindowTextW(hwnd(), text, kTextBuffer) : 0;

  HGDIOBJ oldPen = ::SelectObject(dc, framePen_.get());
  ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 5, 5);
  ::SelectObject(dc, oldPen);

  focused_ = active_ = (itemState & ODS_FOCUS) ? 1 : 0;
  if (itemState & (ODS_SELECTED | ODS_DEFAULT)) active_ = 1;

  RECT inner = rect;
  ::InflateRect(&inner, -::GetSystemMetrics(SM_CXEDGE), -::GetSystemMetrics(SM_CYEDGE));
  FillGradient(dc, inner);
  if (hover_ || focused_) DrawHighlightFrame(dc, inner);

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
  const int oldMode = ::SetBkMode(dc, TRANSPARENT);
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

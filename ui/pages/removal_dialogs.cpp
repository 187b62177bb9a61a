#include "ui/pages/removal_dialogs.h"

#include <commctrl.h>

#include "core/text_ids.h"
#include "ui/pages/pages.h"

namespace {

constexpr int kClientHeight = 135;

struct Layout {
  int picture, text, bar;
  int bannerWidth;
};

constexpr Layout kPipeLayout{IDC_PIPE_REMOVAL_BANNER, IDC_PIPE_REMOVAL_TEXT, IDC_PIPE_REMOVAL_BAR, 530};
constexpr Layout kBuiltInLayout{IDC_BUILTIN_REMOVAL_BANNER, IDC_BUILTIN_REMOVAL_TEXT, IDC_BUILTIN_REMOVAL_BAR, 525};

void Prepare(HWND window, ScaledLayout& place, const Layout& layout, SkinImage& banner, int skinIndex,
             const TextLookup& text) {
  SetPageIcon(window);
  ::SetWindowTextW(window, text(kTextCaption).c_str());
  place.SetClientSize(layout.bannerWidth, kClientHeight);
  banner.Attach(window, layout.picture);
  banner.name = text(kTextCaption);
  banner.SetBitmap(RemovalBannerId(skinIndex));
  place.Place(layout.picture, 0, 0, layout.bannerWidth, 66);
  ::SetDlgItemTextW(window, layout.text, text(kTextDeletingFiles).c_str());
  place.Place(layout.text, 16, 79, 491, 22);
  place.Place(layout.bar, 16, 103, 491, 16);
  HWND bar = ::GetDlgItem(window, layout.bar);
  ::SendMessageW(bar, PBM_SETRANGE32, 0, 100);
  ::SendMessageW(bar, PBM_SETPOS, 0, 0);
}

}  // namespace

void BarProgress::SetPosition(int position) {
  ::SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  ::UpdateWindow(bar_);
}

bool PipeRemovalWindow::Open() {
  if (hwnd_) return true;
  hwnd_ = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PIPE_REMOVAL), nullptr,
                               &PipeRemovalWindow::Proc, reinterpret_cast<LPARAM>(this));
  if (!hwnd_) return false;
  layout_.Begin(hwnd_, IDD_PIPE_REMOVAL);
  Prepare(hwnd_, layout_, kPipeLayout, banner_, skinIndex_, text_);
  ::ShowWindow(hwnd_, SW_SHOW);
  ::UpdateWindow(hwnd_);
  return true;
}

void PipeRemovalWindow::SetPosition(int position) {
  if (!hwnd_) return;
  BarProgress(::GetDlgItem(hwnd_, IDC_PIPE_REMOVAL_BAR)).SetPosition(position);
}

void PipeRemovalWindow::Close() {
  if (!hwnd_) return;
  ::DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

INT_PTR CALLBACK PipeRemovalWindow::Proc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: ::SetWindowLongPtrW(window, DWLP_USER, lp); return FALSE;  // nothing here takes the focus
    case WM_DPICHANGED:
      if (auto* self = reinterpret_cast<PipeRemovalWindow*>(::GetWindowLongPtrW(window, DWLP_USER))) {
        self->layout_.ChangeDpi(LOWORD(wp), reinterpret_cast<const RECT*>(lp));
      }
      return TRUE;
    case WM_COMMAND:
      return TRUE;  // the close box: the uninstaller decides when this ends
    // The white and black of every dialog of the setup.
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      ::SetTextColor(dc, RGB(0, 0, 0));
      ::SetBkColor(dc, RGB(255, 255, 255));
      return reinterpret_cast<INT_PTR>(::GetStockObject(WHITE_BRUSH));
    }
    default: return FALSE;
  }
}

bool BuiltInRemovalDialog::OnInitDialog() {
  started_ = false;
  Prepare(hwnd(), layout(), kBuiltInLayout, banner_, skinIndex_, text_);
  ::SetTimer(hwnd(), kBuiltInRemovalTimer, 500, nullptr);
  return true;
}

void BuiltInRemovalDialog::OnTimer(UINT_PTR id) {
  if (id != kBuiltInRemovalTimer || started_) return;
  ::KillTimer(hwnd(), kBuiltInRemovalTimer);
  // Message boxes of the steps pump messages, and a tick already queued must not start the work again.
  started_ = true;
  BarProgress bar(Item(IDC_BUILTIN_REMOVAL_BAR));
  if (work_) work_(bar);
  End(1);
}

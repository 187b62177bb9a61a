#include "framework/ui/dialog.h"

namespace {

Dialog* g_activeDialog = nullptr;
HHOOK g_filterHook = nullptr;
int g_modalDepth = 0;
COLORREF g_background = RGB(255, 255, 255);
COLORREF g_text = RGB(0, 0, 0);
HBRUSH g_backgroundBrush = nullptr;

HBRUSH BackgroundBrush() {
  if (!g_backgroundBrush) g_backgroundBrush = ::CreateSolidBrush(g_background);
  return g_backgroundBrush;
}

}  // namespace

void Dialog::SetDialogColours(COLORREF background, COLORREF text) {
  g_background = background;
  g_text = text;
  if (g_backgroundBrush) {
    ::DeleteObject(g_backgroundBrush);
    g_backgroundBrush = nullptr;
  }
}

INT_PTR Dialog::DoModal(HWND owner) {
  // The dialog manager turns Escape into the cancel command before any dialog procedure sees it,
  // so pages that ignore Escape drop the key in the modal loop's message filter.
  if (g_modalDepth++ == 0) {
    g_filterHook = ::SetWindowsHookExW(WH_MSGFILTER, &Dialog::MessageFilter, nullptr, ::GetCurrentThreadId());
  }
  outer_ = g_activeDialog;
  INT_PTR result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner, &Dialog::Proc,
                                     reinterpret_cast<LPARAM>(this));
  g_activeDialog = outer_;
  hwnd_ = nullptr;
  if (--g_modalDepth == 0 && g_filterHook) {
    ::UnhookWindowsHookEx(g_filterHook);
    g_filterHook = nullptr;
  }
  return result;
}

LRESULT CALLBACK Dialog::MessageFilter(int code, WPARAM wp, LPARAM lp) {
  if (code == MSGF_DIALOGBOX && g_activeDialog && g_activeDialog->hwnd_) {
    const MSG* msg = reinterpret_cast<const MSG*>(lp);
    const bool escape = (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) && msg->wParam == VK_ESCAPE;
    const HWND dlg = g_activeDialog->hwnd_;
    if (escape && g_activeDialog->DiscardsEscape() && (msg->hwnd == dlg || ::IsChild(dlg, msg->hwnd))) {
      return 1;
    }
  }
  return ::CallNextHookEx(g_filterHook, code, wp, lp);
}

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Dialog* self;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lp);
    ::SetWindowLongPtrW(hwnd, DWLP_USER, lp);
    self->hwnd_ = hwnd;
    g_activeDialog = self;
  } else {
    self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;
  return self->Dispatch(msg, wp, lp);
}

INT_PTR Dialog::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  bool handled = false;
  INT_PTR result = OnMessage(msg, wp, lp, handled);
  if (handled) return result;
  switch (msg) {
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: {
      HWND child =
          msg == WM_DRAWITEM ? reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem : reinterpret_cast<HWND>(lp);
      if (child && ::IsChild(hwnd_, child)) {
        if (LRESULT reflected = ::SendMessageW(child, kReflectBase + msg, wp, lp)) {
          return msg == WM_COMMAND || msg == WM_DRAWITEM ? TRUE : static_cast<INT_PTR>(reflected);
        }
      }
      break;
    }
    default: break;
  }
  switch (msg) {
    case WM_INITDIALOG: layout_.Begin(hwnd_, templateId_); return OnInitDialog() ? TRUE : FALSE;
    case WM_DPICHANGED:
      layout_.ChangeDpi(LOWORD(wp), reinterpret_cast<const RECT*>(lp));
      OnDpiChanged();
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      const int notify = HIWORD(wp);
      if (OnCommand(id, notify, reinterpret_cast<HWND>(lp))) return TRUE;
      if (id == IDOK) {
        OnOk();
        return TRUE;
      }
      if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
      }
      return FALSE;
    }
    case WM_TIMER: OnTimer(wp); return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wp);
      ::SetTextColor(dc, g_text);
      ::SetBkColor(dc, g_background);
      return reinterpret_cast<INT_PTR>(BackgroundBrush());
    }
    case WM_DESTROY: OnDestroy(); return FALSE;
    default: return FALSE;
  }
}

int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) {
  return ::MessageBoxW(owner, text.c_str(), caption.c_str(), style);
}

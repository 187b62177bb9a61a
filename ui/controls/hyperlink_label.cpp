#include "ui/controls/hyperlink_label.h"

#include <commctrl.h>

#include <oleacc.h>

#include "core/outside_text.h"
#include "framework/base/process_start.h"
#include "framework/ui/accessible.h"
#include "framework/ui/dialog.h"
#include "framework/ui/dpi.h"

namespace {

constexpr int kPointingHandCursor = 106;
constexpr int kTooltipMaxWidth = 200;

}  // namespace

HCURSOR LoadPointingHandCursor(const std::wstring& modulePath) {
  // Only its resources are wanted, so the program is mapped as data and never prepared to run.
  UniqueModule module(::LoadLibraryExW(modulePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!module) return nullptr;
  HCURSOR shared = ::LoadCursorW(static_cast<HINSTANCE>(module.get()), MAKEINTRESOURCEW(kPointingHandCursor));
  // The copy outlives the module it came from.
  return shared ? CopyCursor(shared) : nullptr;
}

HyperlinkLabel::~HyperlinkLabel() {
  if (hwnd()) ::KillTimer(hwnd(), kLeaveTimer);
  Release();
}

bool HyperlinkLabel::Attach(HWND dialog, int id) {
  Release();
  if (!Control::Attach(dialog, id)) return false;
  // A static without the notify style lets clicks and mouse moves fall through to the dialog.
  ::SetWindowLongPtrW(hwnd(), GWL_STYLE, ::GetWindowLongPtrW(hwnd(), GWL_STYLE) | SS_NOTIFY);

  wchar_t windows[MAX_PATH] = {};
  const UINT length = ::GetWindowsDirectoryW(windows, MAX_PATH);
  if (length > 0 && length < MAX_PATH) cursor_ = LoadPointingHandCursor(std::wstring(windows) + L"\\winhlp32.exe");

  SetUnderlineFont(reinterpret_cast<HFONT>(::SendMessageW(hwnd(), WM_GETFONT, 0, 0)));
  CreateTooltip();
  return true;
}

void HyperlinkLabel::SetUnderlineFont(HFONT font) {
  templateFont_ = font;
  // No font message means the label draws with the system font.
  HGDIOBJ source = templateFont_ ? static_cast<HGDIOBJ>(templateFont_) : ::GetStockObject(SYSTEM_FONT);
  LOGFONTW look = {};
  if (!::GetObjectW(source, sizeof(look), &look)) return;
  look.lfUnderline = TRUE;
  UniqueGdi underline(::CreateFontIndirectW(&look));
  if (!underline) return;
  Default(WM_SETFONT, reinterpret_cast<WPARAM>(underline.get()), TRUE);
  underlineFont_ = std::move(underline);
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void HyperlinkLabel::CreateTooltip() {
  tooltip_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, hwnd(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (!tooltip_) return;
  ::SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOMATIC, MAKELPARAM(100, 0));
  ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, ScaleToDpi(kTooltipMaxWidth, WindowDpi(hwnd())));
  TOOLINFOW tool = {};
  // The version-2 record size: common controls 5 (Windows 2000) refuse the larger current one.
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = hwnd();
  tool.uId = kToolId;
  ::GetClientRect(hwnd(), &tool.rect);
  tool.lpszText = const_cast<wchar_t*>(L"");
  ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void HyperlinkLabel::SetTooltipText(const std::wstring& text) {
  if (!tooltip_) return;
  TOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = hwnd();
  tool.uId = kToolId;
  tool.lpszText = const_cast<wchar_t*>(text.c_str());
  ::SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT HyperlinkLabel::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  // The framework has no message pre-translation, so the label hands its own mouse messages to the
  // tooltip here (rather than letting the tooltip subclass a window we already subclass).
  if (tooltip_ && msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
    const DWORD position = ::GetMessagePos();
    MSG relayed = {hwnd(),
                   msg,
                   wp,
                   lp,
                   static_cast<DWORD>(::GetMessageTime()),
                   {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))}};
    ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
  switch (msg) {
    case kReflectBase + WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      ::SetTextColor(dc, hover_ ? kHoverColour : kLinkColour);
      ::SetBkMode(dc, TRANSPARENT);
      // The page's white shows through.
      return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    }
    case kReflectBase + WM_COMMAND: {
      if (HIWORD(wp) != STN_CLICKED) return 0;
      // A failed open is silent: the address is only a convenience. The address may come from a language file
      // beside the setup: only a web address is opened, never a program or a file, and by the desktop shell in
      // the user's own browser with the user's rights, not the setup's; without a desktop shell, nothing.
      const std::wstring address = WebAddressToOpen(url);
      if (!address.empty()) OpenAsDesktopUser(address, L"", L"", SW_SHOWNORMAL);
      return TRUE;
    }
    case WM_MOUSEMOVE:
      hover_ = 1;
      ::InvalidateRect(hwnd(), nullptr, TRUE);
      // The label gets no message once the mouse has left it, so a timer watches for that.
      ::SetTimer(hwnd(), kLeaveTimer, kLeaveTimerMs, nullptr);
      break;
    case WM_TIMER:
      if (wp != kLeaveTimer) break;
      OnTimer();
      return 0;
    case WM_SETFONT:
      // A new font for another display scale: the link keeps its underline.
      if (underlineFont_ && !restoringFont_ && reinterpret_cast<HFONT>(wp) != underlineFont_.get()) {
        SetUnderlineFont(reinterpret_cast<HFONT>(wp));
        return 0;
      }
      break;
    case WM_GETOBJECT: return AnswerGetObject(hwnd(), wp, lp, {ROLE_SYSTEM_LINK, L"Jump", nullptr});
    case WM_SETCURSOR:
      if (!cursor_) break;
      ::SetCursor(cursor_);
      return TRUE;
    case WM_DESTROY:
      ::KillTimer(hwnd(), kLeaveTimer);
      Release();
      break;
    default: break;
  }
  return Default(msg, wp, lp);
}

void HyperlinkLabel::OnTimer() {
  const DWORD position = ::GetMessagePos();
  POINT point = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  ::ScreenToClient(hwnd(), &point);
  RECT client = {};
  ::GetClientRect(hwnd(), &client);
  if (::PtInRect(&client, point)) return;
  hover_ = 0;
  ::KillTimer(hwnd(), kLeaveTimer);
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void HyperlinkLabel::Release() {
  hover_ = 0;
  // The dialog destroys the windows it owns first, so the tooltip may already be gone.
  if (tooltip_ && ::IsWindow(tooltip_)) ::DestroyWindow(tooltip_);
  tooltip_ = nullptr;
  if (underlineFont_ && hwnd() && ::IsWindow(hwnd())) {
    restoringFont_ = true;
    ::SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(templateFont_), FALSE);
    restoringFont_ = false;
  }
  underlineFont_.reset();
  templateFont_ = nullptr;
  if (cursor_) {
    if (::GetCursor() == cursor_) ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    ::DestroyCursor(cursor_);
    cursor_ = nullptr;
  }
}

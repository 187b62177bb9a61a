#include "ui/controls/skin_image.h"

#include <oleacc.h>

#include "framework/ui/accessible.h"
#include "framework/ui/dpi.h"

bool SkinImage::SetBitmap(int resourceId) {
  resourceId_ = resourceId;
  bitmap_.reset();
  bitmap_.reset(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  return bitmap_.valid();
}

void SkinImage::Paint(HDC dc, const RECT& client) const {
  if (!bitmap_) return;
  BITMAP size = {};
  if (!::GetObjectW(bitmap_.get(), sizeof(size), &size)) return;
  HDC memory = ::CreateCompatibleDC(dc);
  if (!memory) return;
  HGDIOBJ old = ::SelectObject(memory, bitmap_.get());
  // Scaled for the display, the picture is filtered rather than repeating or dropping whole pixels; at 96 DPI
  // it is drawn as it always was.
  int oldMode = 0;
  if (hwnd() && WindowDpi(hwnd()) != kLayoutDpi) {
    oldMode = ::SetStretchBltMode(dc, HALFTONE);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
  }
  ::StretchBlt(dc, client.left, client.top, client.right - client.left, client.bottom - client.top, memory, 0, 0,
               size.bmWidth, size.bmHeight, SRCCOPY);
  if (oldMode) ::SetStretchBltMode(dc, oldMode);
  ::SelectObject(memory, old);
  ::DeleteDC(memory);
}

LRESULT SkinImage::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_GETOBJECT) return AnswerGetObject(hwnd(), wp, lp, {ROLE_SYSTEM_GRAPHIC, nullptr, name.c_str()});
  if (msg != WM_PAINT) return Default(msg, wp, lp);
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(hwnd(), &paint);
  RECT client = {};
  ::GetClientRect(hwnd(), &client);
  Paint(dc, client);
  ::EndPaint(hwnd(), &paint);
  return 0;
}

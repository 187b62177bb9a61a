#include "ui/controls/skin_image.h"

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
  ::StretchBlt(dc, client.left, client.top, client.right - client.left, client.bottom - client.top, memory, 0, 0,
               size.bmWidth, size.bmHeight, SRCCOPY);
  ::SelectObject(memory, old);
  ::DeleteDC(memory);
}

LRESULT SkinImage::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_PAINT) return Default(msg, wp, lp);
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(hwnd(), &paint);
  RECT client = {};
  ::GetClientRect(hwnd(), &client);
  Paint(dc, client);
  ::EndPaint(hwnd(), &paint);
  return 0;
}

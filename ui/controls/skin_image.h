#pragma once
// A static that shows one bitmap resource stretched over its whole client area.
#include <windows.h>

#include <string>

#include "framework/ui/control.h"
#include "framework/base/handles.h"

class SkinImage : public Control {
 public:
  // Drops any bitmap held and loads bitmap resource `resourceId` of the program; false when there is none
  // (the control then paints nothing).
  bool SetBitmap(int resourceId);

  int resourceId() const { return resourceId_; }
  // What a screen reader calls the picture.
  std::wstring name;
  HBITMAP bitmap() const { return static_cast<HBITMAP>(bitmap_.get()); }

  // Stretches the bitmap over `client` in `dc`; does nothing without a bitmap.
  void Paint(HDC dc, const RECT& client) const;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  UniqueGdi bitmap_;
  int resourceId_ = 0;
};

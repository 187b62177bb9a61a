#pragma once
// An edit control painted black on white, whatever the system colours are.
#include <windows.h>

#include "framework/ui/control.h"
#include "framework/base/handles.h"

class ColourEdit : public Control {
 public:
  // Fixed on purpose: there is no setter.
  static constexpr COLORREF textColour = RGB(0, 0, 0);
  static constexpr COLORREF backColour = RGB(255, 255, 255);

  ColourEdit();

  HBRUSH backBrush() const { return static_cast<HBRUSH>(backBrush_.get()); }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  UniqueGdi backBrush_;
};

#include "ui/controls/colour_edit.h"

#include "framework/ui/dialog.h"

ColourEdit::ColourEdit() : backBrush_(::CreateSolidBrush(backColour)) {}

LRESULT ColourEdit::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    // A read-only or disabled edit asks with the static message.
    case kReflectBase + WM_CTLCOLOREDIT:
    case kReflectBase + WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      ::SetTextColor(dc, textColour);
      ::SetBkColor(dc, backColour);
      return reinterpret_cast<LRESULT>(backBrush_.get());
    }
    default: return Default(msg, wp, lp);
  }
}

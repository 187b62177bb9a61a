#include "framework/ui/control.h"

#include <commctrl.h>

namespace {
constexpr UINT_PTR kSubclassId = 0x4B51;
}

Control::~Control() { Detach(); }

bool Control::Attach(HWND dialog, int id) {
  Detach();
  HWND control = ::GetDlgItem(dialog, id);
  if (!control) return false;
  if (!::SetWindowSubclass(control, &Control::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  hwnd_ = control;
  return true;
}

void Control::Detach() {
  if (hwnd_) {
    ::RemoveWindowSubclass(hwnd_, &Control::SubclassProc, kSubclassId);
    hwnd_ = nullptr;
  }
}

LRESULT Control::Default(UINT msg, WPARAM wp, LPARAM lp) { return ::DefSubclassProc(hwnd_, msg, wp, lp); }

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  Control* self = reinterpret_cast<Control*>(data);
  if (msg == WM_NCDESTROY) {
    // The window goes away with its dialog; the object lives on for the next showing.
    LRESULT result = ::DefSubclassProc(hwnd, msg, wp, lp);
    ::RemoveWindowSubclass(hwnd, &Control::SubclassProc, kSubclassId);
    self->hwnd_ = nullptr;
    return result;
  }
  return self->WindowProc(msg, wp, lp);
}

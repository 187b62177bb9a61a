#pragma once
// What a control the program draws itself tells a screen reader: the role of the standard control it stands for
// and its current text as its name, through the system's accessibility interface. Everything else (place,
// parent, focus) is the system's own answer for the window.
#include <windows.h>

struct AccessibleKind {
  long role;                     // ROLE_SYSTEM_*
  const wchar_t* defaultAction;  // what activating it does ("Press", "Jump"); null when nothing
  const wchar_t* name;           // null: the window's text, without its mnemonic ampersand
};

// The answer to WM_GETOBJECT for `control`: an object of `kind` for its client area, else the default answer.
LRESULT AnswerGetObject(HWND control, WPARAM wp, LPARAM lp, const AccessibleKind& kind);

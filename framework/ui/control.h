#pragma once
// A control of a dialog template taken over by one of our classes through subclassing.
#include <windows.h>

class Control {
 public:
  Control() = default;
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // Attaches to the template control `id` of `dialog`; false when there is no such control.
  bool Attach(HWND dialog, int id);
  void Detach();
  HWND hwnd() const { return hwnd_; }

 protected:
  // Messages of the control; call Default for what the class does not handle.
  virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) { return Default(msg, wp, lp); }
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);

 private:
  static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  HWND hwnd_ = nullptr;
};

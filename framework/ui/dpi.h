#pragma once
// Every layout of the setup is written in pixels at 96 DPI; on screen it is that times the window's DPI / 96.
// The newer per-monitor functions are looked up when needed, so older systems keep the system DPI.
#include <windows.h>

#include <utility>
#include <vector>

#include "framework/base/handles.h"

inline constexpr int kLayoutDpi = 96;

// A 96-DPI length at `dpi`, rounded to the nearest pixel.
inline int ScaleToDpi(int value, int dpi) { return ::MulDiv(value, dpi, kLayoutDpi); }

// A 96-DPI rectangle at `dpi`: each edge is scaled and rounded once, so controls that touch at 96 DPI touch at
// every scale.
inline RECT ScaleRectToDpi(int x, int y, int width, int height, int dpi) {
  return {ScaleToDpi(x, dpi), ScaleToDpi(y, dpi), ScaleToDpi(x + width, dpi), ScaleToDpi(y + height, dpi)};
}

// The DPI `window` is drawn at: its monitor's where the system has per-monitor DPI, else the system's.
int WindowDpi(HWND window);
// A system metric at `dpi`, where the system can tell; else as the system has it.
int SystemMetricForDpi(int index, int dpi);

// The pixel layout of one window made from a dialog template. At another DPI than 96 the template's controls
// and font are scaled when the window opens, and everything is laid out again when the window moves to a
// monitor of another scale.
class ScaledLayout {
 public:
  // Takes over `window` from its WM_INITDIALOG on.
  void Begin(HWND window, int templateId);
  int Scale(int value) const { return ScaleToDpi(value, dpi_); }

  // Gives the window this 96-DPI client size and centres it on the screen.
  void SetClientSize(int width, int height);
  // Puts control `id` at a 96-DPI place; it stays there at every scale.
  void Place(int id, int x, int y, int width, int height);
  // WM_DPICHANGED: the new DPI and the rectangle the system suggests (its corner is kept).
  void ChangeDpi(int dpi, const RECT* suggested);

 private:
  struct Place96 {
    HWND control;
    int x, y, width, height;
  };
  void ApplyFont();
  void Apply(const Place96& place) const;
  void ApplyClientSize(const POINT* corner);

  HWND window_ = nullptr;
  int dpi_ = kLayoutDpi;
  int clientWidth_ = 0, clientHeight_ = 0;
  std::vector<Place96> places_;
  // The template's font, as its point size asks for at the window's DPI.
  int pointSize_ = 0;
  LOGFONTW templateFont_{};
  LONG fontHeight_ = 0;  // of the font the controls have now
  UniqueGdi font_;
};

#pragma once
// Owner-drawn push button of the wizard: rounded black outline, vertical gradient, orange frame under the
// mouse, blue frame with the keyboard focus.
#include <windows.h>

#include <array>

#include "framework/ui/control.h"
#include "framework/base/handles.h"

class SkinButton : public Control {
 public:
  SkinButton();

  // Subclasses the template button `id` and makes it owner-drawn; its window text stays the label.
  bool Attach(HWND dialog, int id);

  // Forgets hover and tracking; called on the button that closes a page, so a page shown again later
  // does not start with a stale hover frame.
  void ResetState();

  // Paints the whole button into `dc` over `rect` for an owner-draw item state (ODS_*).
  void Draw(HDC dc, const RECT& rect, UINT itemState);

  int hover() const { return hover_; }
  int tracking() const { return tracking_; }
  int focused() const { return focused_; }
  int active() const { return active_; }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  using EdgePens = std::array<UniqueGdi, 4>;  // left, right, top, bottom

  void FillGradient(HDC dc, const RECT& inner) const;
  void DrawHighlightFrame(HDC dc, const RECT& inner) const;

  UniqueGdi framePen_;
  EdgePens hoverPens_;
  EdgePens focusPens_;
  int hover_ = 0;
  int tracking_ = 0;
  int focused_ = 0;
  int active_ = 0;
};

#pragma once
// Owner-drawn push button of the wizard: rounded black outline, vertical gradient, orange frame under the
// mouse, blue frame with the keyboard focus.
#include <windows.h>

#include <array>
#include <string>

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

  // How the label goes into the inner rectangle: with the button's font on one line when it fits there; a
  // label too wide for that goes on two lines when it has a blank, else the font is made smaller until it fits.
  struct Label {
    UniqueGdi smallerFont;  // owned when the button's own font was too big
    HFONT font = nullptr;   // the font the text is drawn with
    bool fitsAsIs = true;   // drawn the usual way: one line, the button's own font
    bool twoLines = false;
    RECT rect{};  // where the text's pixels go
  };
  Label LayOutLabel(HDC dc, const RECT& inner, const std::wstring& text) const;
  // The inner rectangle of a button drawn over `rect` at `dpi`.
  static RECT InnerRect(const RECT& rect, int dpi = 96);

  int hover() const { return hover_; }
  int tracking() const { return tracking_; }
  int focused() const { return focused_; }
  int active() const { return active_; }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  using EdgePens = std::array<UniqueGdi, 4>;  // left, right, top, bottom

  void MakePens(int dpi);
  void FillGradient(HDC dc, const RECT& inner) const;
  void DrawHighlightFrame(HDC dc, const RECT& inner) const;
  void DrawFittedLabel(HDC dc, const Label& label, const std::wstring& text, UINT itemState) const;

  UniqueGdi framePen_;
  EdgePens hoverPens_;
  EdgePens focusPens_;
  int pensDpi_ = 0;
  int hover_ = 0;
  int tracking_ = 0;
  int focused_ = 0;
  int active_ = 0;
};

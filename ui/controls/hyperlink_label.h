#pragma once
// A static text that shows a web address: underlined, red under the mouse, the pointing-hand cursor, a
// tooltip, and the address opened by the desktop shell on a click.
#include <windows.h>

#include <string>

#include "framework/ui/control.h"
#include "framework/base/handles.h"

class HyperlinkLabel : public Control {
 public:
  static constexpr COLORREF kLinkColour = RGB(29, 90, 142);
  static constexpr COLORREF kHoverColour = RGB(255, 0, 0);
  static constexpr UINT_PTR kLeaveTimer = 1;
  static constexpr UINT kLeaveTimerMs = 100;
  static constexpr UINT_PTR kToolId = 1;

  HyperlinkLabel() = default;
  ~HyperlinkLabel() override;

  // Subclasses the template static `id`, then makes it clickable, underlined, with cursor and tooltip.
  bool Attach(HWND dialog, int id);

  // Replaces the text of the label's one tool.
  void SetTooltipText(const std::wstring& text);

  int hover() const { return hover_; }
  HCURSOR cursor() const { return cursor_; }
  HWND tooltip() const { return tooltip_; }
  HFONT underlineFont() const { return static_cast<HFONT>(underlineFont_.get()); }

  // The address opened on a click; the page assigns it.
  std::wstring url;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // The label's font with an underline, in place of `font` (null: the system font).
  void SetUnderlineFont(HFONT font);
  void CreateTooltip();
  void OnTimer();
  // Gives back cursor, font and tooltip; the label keeps its template font if it outlives us.
  void Release();

  int hover_ = 0;
  HCURSOR cursor_ = nullptr;
  HWND tooltip_ = nullptr;
  HFONT templateFont_ = nullptr;  // not owned
  UniqueGdi underlineFont_;
  bool restoringFont_ = false;
};

// Copy of the pointing hand (cursor 106) of the help viewer at `modulePath`, or null when the file or the
// cursor is missing. The caller destroys it.
HCURSOR LoadPointingHandCursor(const std::wstring& modulePath);

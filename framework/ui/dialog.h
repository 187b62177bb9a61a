#pragma once
// Modal dialogs from resource templates, the one window kind this program has.
#include <windows.h>

#include <string>

#include "framework/ui/dpi.h"

// Notifications a dialog receives about a child are first offered to the child itself as
// kReflectBase + message (control colours, owner drawing, commands). A child that handles one returns
// non-zero: a brush for the colour messages, TRUE otherwise; the dialog then does nothing more with it.
inline constexpr UINT kReflectBase = WM_USER + 0x1C00;

class Dialog {
 public:
  explicit Dialog(int templateId) : templateId_(templateId) {}
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Shows the dialog and returns the code it ended with, or -1 when it could not be created.
  INT_PTR DoModal(HWND owner = nullptr);

  HWND hwnd() const { return hwnd_; }
  int templateId() const { return templateId_; }
  HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }

  // White background and black text for every dialog of the process.
  static void SetDialogColours(COLORREF background, COLORREF text);

 protected:
  // Return true to let the system set the default focus.
  virtual bool OnInitDialog() { return true; }
  // A button or control notification; return true when handled.
  virtual bool OnCommand(int /*id*/, int /*notifyCode*/, HWND /*control*/) { return false; }
  // Enter: the default-button command. Does nothing unless a dialog says otherwise.
  virtual void OnOk() {}
  // The close box and, where it is not discarded, Escape.
  virtual void OnCancel() { End(IDCANCEL); }
  virtual void OnTimer(UINT_PTR /*id*/) {}
  virtual void OnDestroy() {}
  // After the layout has followed the window to a monitor of another scale: what the layout does not place.
  virtual void OnDpiChanged() {}
  // Escape key messages never reach dialogs that return true.
  virtual bool DiscardsEscape() const { return false; }
  // Any other message; set handled to stop the default dialog processing.
  virtual INT_PTR OnMessage(UINT /*msg*/, WPARAM /*wp*/, LPARAM /*lp*/, bool& handled) {
    handled = false;
    return 0;
  }

  void End(INT_PTR code) { ::EndDialog(hwnd_, code); }
  void SetItemText(int id, const std::wstring& text) { ::SetDlgItemTextW(hwnd_, id, text.c_str()); }
  // Places and sizes are in pixels at 96 DPI; the layout shows them at the window's DPI.
  void Place(int id, int x, int y, int width, int height) { layout_.Place(id, x, y, width, height); }
  // Gives the window exactly this client size, centred on the screen: dialogs laid out in pixels must not
  // depend on the dialog font.
  void SetClientSize(int width, int height) { layout_.SetClientSize(width, height); }
  ScaledLayout& layout() { return layout_; }

 private:
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK MessageFilter(int code, WPARAM wp, LPARAM lp);
  INT_PTR Dispatch(UINT msg, WPARAM wp, LPARAM lp);

  int templateId_;
  HWND hwnd_ = nullptr;
  Dialog* outer_ = nullptr;  // the modal dialog that was active when this one opened
  ScaledLayout layout_;
};

// Message boxes: caption and style as given, optional owner.
int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style);

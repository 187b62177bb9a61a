#pragma once
// Drives the setup's windows from another process, the way a user would: find the current page, press its
// buttons, answer message boxes, take screenshots.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace gui {

// A 32-bit top-down DIB section of that size, its pixels (blue, green, red, unused) at *bits; null on failure.
HBITMAP CreateTopDownDib(HDC dc, int width, int height, void** bits);

// The page a dialog shows, told by a control only that page has; "" when it is none of them.
std::string IdentifyPage(HWND dialog);

class Driver {
 public:
  Driver() = default;
  ~Driver();
  Driver(const Driver&) = delete;
  Driver& operator=(const Driver&) = delete;

  // Starts `exe` (a Windows path); false when it could not be started.
  bool Start(const std::wstring& exe, const std::wstring& arguments = L"");
  DWORD pid() const { return pid_; }
  HANDLE process() const { return process_; }

  // The process's visible page (any dialog that is not a message box), or null after the timeout.
  HWND WaitForPage(DWORD timeoutMs = 15000);
  // Waits until the current page is `name`; returns it or null (the page seen last is in lastPage()).
  HWND WaitForNamedPage(const std::string& name, DWORD timeoutMs = 15000);
  // The process's visible message box, or null.
  HWND WaitForMessageBox(DWORD timeoutMs = 15000);
  HWND FindMessageBox();
  std::string lastPage() const { return lastPage_; }

  static std::wstring MessageText(HWND box);
  static std::wstring Caption(HWND window);
  static std::wstring ItemText(HWND dialog, int id);
  static bool IsChecked(HWND dialog, int id);
  static bool IsEnabled(HWND dialog, int id);
  static bool IsVisible(HWND dialog, int id);
  // An edit control's first visible line and its selection (start, end; equal when nothing is selected).
  static int FirstVisibleLine(HWND dialog, int id);
  static std::pair<int, int> Selection(HWND dialog, int id);
  // The control of the dialog's thread that has the keyboard focus, or null.
  static HWND FocusedWindow(HWND dialog);

  // Input is posted, never sent: a click that opens a modal box would otherwise block the driver. A text
  // control (a link) gets the mouse's button going down and up on it.
  static void Click(HWND dialog, int controlId);
  static void Answer(HWND box, int buttonId);  // IDOK, IDCANCEL, IDYES, IDNO
  static void PressEscape(HWND dialog);
  static void PressEnter(HWND dialog);
  static void CloseBox(HWND dialog);
  // Real key strokes to `window`, brought to the front first: each character of `keys` is typed, except '%',
  // which holds Alt down for the character after it ("%n" is Alt+N). Returns once the window's thread has
  // taken them.
  static void TypeKeys(HWND window, const std::wstring& keys);
  static void SetText(HWND dialog, int id, const std::wstring& text);
  static void SelectComboItem(HWND dialog, int id, int index);

  // List views of the setup: first-column texts, and a click on a row (read through the other process's memory).
  std::vector<std::wstring> ListRows(HWND list, int column = 0) const;
  bool ClickListRow(HWND list, int row) const;
  // Tree views: the items' texts and check marks.
  std::vector<std::pair<std::wstring, bool>> TreeItems(HWND tree) const;

  // Attaches to a process that is already running (for example this one).
  void Attach(DWORD pid);

  // Waits until `window` is gone (closed or hidden).
  static bool WaitGone(HWND window, DWORD timeoutMs = 15000);
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
  void Kill();

  // Saves the window as it is on screen as a PNG file; creates the folder.
  static bool Screenshot(HWND window, const std::wstring& pngPath);

 private:
  std::vector<HWND> TopLevelDialogs() const;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  std::string lastPage_;
};

// Joins a folder and a name with one backslash.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// Creates a folder and its parents.
void MakeFolders(const std::wstring& folder);

}  // namespace gui

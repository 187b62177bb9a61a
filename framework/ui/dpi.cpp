#include "framework/ui/dpi.h"

#include <string>

namespace {

// Not in every SDK's headers.
constexpr int kDialogScalingOff = 0x0001;            // DDC_DISABLE_ALL
constexpr int kControlScalingOff = 0x0001 | 0x0002;  // DCDC_DISABLE_FONT_UPDATE | DCDC_DISABLE_RELAYOUT

template <typename F>
F User32Entry(const char* name) {
  HMODULE user = ::GetModuleHandleW(L"user32.dll");
  return user ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(user, name))) : nullptr;
}

// What the layout needs of an extended dialog template: the font's point size and the items' rectangles in
// dialog units, in the order the dialog manager creates the items.
struct TemplateLayout {
  int pointSize = 0;
  int width = 0, height = 0;
  struct Item {
    int x, y, width, height;
  };
  std::vector<Item> items;
};

class TemplateReader {
 public:
  TemplateReader(const BYTE* data, size_t size) : start_(data), at_(data), end_(data + size) {}
  bool ok() const { return ok_; }
  unsigned Word() { return Take(2) ? at_[-2] | (at_[-1] << 8) : 0; }
  unsigned Dword() { return Word() | (Word() << 16); }
  short Short() { return static_cast<short>(Word()); }
  void Skip(size_t bytes) { Take(bytes); }
  // A name or an ordinal: nothing (0), 0xFFFF and a number, or a string.
  void SkipNameOrOrdinal() {
    const unsigned first = Word();
    if (first == 0xFFFF) {
      Word();
    } else if (first != 0) {
      SkipString();
    }
  }
  void SkipString() {
    while (ok_ && Word() != 0) {
    }
  }
  void AlignToDword() {
    const size_t offset = static_cast<size_t>(at_ - start_);
    Skip((4 - offset % 4) % 4);
  }

 private:
  bool Take(size_t bytes) {
    if (!ok_ || static_cast<size_t>(end_ - at_) < bytes) {
      ok_ = false;
      return false;
    }
    at_ += bytes;
    return true;
  }
  const BYTE* start_;
  const BYTE* at_;
  const BYTE* end_;
  bool ok_ = true;
};

// Only extended templates are read (every template of the setup is one); false for anything else.
bool ReadTemplate(int templateId, TemplateLayout& layout) {
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5));  // RT_DIALOG
  HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
  const auto* data = static_cast<const BYTE*>(loaded ? ::LockResource(loaded) : nullptr);
  if (!data) return false;
  TemplateReader reader(data, ::SizeofResource(module, found));
  if (reader.Word() != 1 || reader.Word() != 0xFFFF) return false;
  reader.Skip(8);  // help ID, extended style
  const DWORD style = reader.Dword();
  const unsigned count = reader.Word();
  reader.Skip(4);  // x, y
  layout.width = reader.Short();
  layout.height = reader.Short();
  reader.SkipNameOrOrdinal();  // menu
  reader.SkipNameOrOrdinal();  // class
  reader.SkipString();         // title
  if (style & DS_SETFONT) {
    layout.pointSize = static_cast<int>(reader.Word());
    reader.Skip(4);  // weight, italic, character set
    reader.SkipString();
  }
  for (unsigned i = 0; i < count && reader.ok(); ++i) {
    reader.AlignToDword();
    reader.Skip(12);  // help ID, extended style, style
    TemplateLayout::Item item{};
    item.x = reader.Short();
    item.y = reader.Short();
    item.width = reader.Short();
    item.height = reader.Short();
    reader.Skip(4);              // ID
    reader.SkipNameOrOrdinal();  // class
    reader.SkipNameOrOrdinal();  // text
    reader.Skip(reader.Word());  // creation data
    if (reader.ok()) layout.items.push_back(item);
  }
  return reader.ok();
}

// The dialog base units of `font` at 96 DPI, measured the way the dialog manager measures them.
SIZE BaseUnitsAt96(LOGFONTW font, int pointSize) {
  font.lfHeight = -::MulDiv(pointSize, kLayoutDpi, 72);
  SIZE units{0, 0};
  UniqueGdi made(::CreateFontIndirectW(&font));
  HDC dc = ::GetDC(nullptr);
  if (!made || !dc) {
    if (dc) ::ReleaseDC(nullptr, dc);
    return units;
  }
  HGDIOBJ old = ::SelectObject(dc, made.get());
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE extent{};
  ::GetTextExtentPoint32W(dc, kLetters, 52, &extent);
  units = {(extent.cx / 26 + 1) / 2, metrics.tmHeight};
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  return units;
}

}  // namespace

int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32Entry<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : kLayoutDpi;
  if (screen) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kLayoutDpi;
}

int SystemMetricForDpi(int index, int dpi) {
  using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
  static const auto forDpi = User32Entry<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  return forDpi ? forDpi(index, static_cast<UINT>(dpi)) : ::GetSystemMetrics(index);
}

void ScaledLayout::Begin(HWND window, int templateId) {
  window_ = window;
  dpi_ = WindowDpi(window);
  places_.clear();
  clientWidth_ = clientHeight_ = 0;
  pointSize_ = 0;
  // The system's own scaling of dialogs on a move to another monitor would fight this one.
  using DialogBehaviourFn = BOOL(WINAPI*)(HWND, int, int);
  static const auto dialogBehaviour = User32Entry<DialogBehaviourFn>("SetDialogDpiChangeBehavior");
  static const auto controlBehaviour = User32Entry<DialogBehaviourFn>("SetDialogControlDpiChangeBehavior");
  if (dialogBehaviour) dialogBehaviour(window, kDialogScalingOff, kDialogScalingOff);
  for (HWND child = ::GetWindow(window, GW_CHILD); child && controlBehaviour; child = ::GetWindow(child, GW_HWNDNEXT)) {
    controlBehaviour(child, kControlScalingOff, kControlScalingOff);
  }
  TemplateLayout layout;
  HFONT font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
  if (!ReadTemplate(templateId, layout) || !font || !::GetObjectW(font, sizeof(templateFont_), &templateFont_)) {
    return;
  }
  pointSize_ = layout.pointSize;
  fontHeight_ = templateFont_.lfHeight;
  if (pointSize_ <= 0) return;
  // The dialog manager laid the template out with a font for the system's DPI; the layout is its 96-DPI one,
  // kept for a later move to another scale even when the window opens at 96 DPI, where nothing is moved.
  const SIZE units = BaseUnitsAt96(templateFont_, pointSize_);
  if (units.cx <= 0 || units.cy <= 0) return;
  const bool scaled = dpi_ != kLayoutDpi;
  if (scaled) ApplyFont();
  size_t index = 0;
  for (HWND child = ::GetWindow(window, GW_CHILD); child && index < layout.items.size();
       child = ::GetWindow(child, GW_HWNDNEXT), ++index) {
    const TemplateLayout::Item& item = layout.items[index];
    Place96 place{child, ::MulDiv(item.x, units.cx, 4), ::MulDiv(item.y, units.cy, 8),
                  ::MulDiv(item.width, units.cx, 4), ::MulDiv(item.height, units.cy, 8)};
    if (item.width == 0 || item.height == 0) {
      // A control that sizes itself (an icon) keeps the size it took, as it would be at 96 DPI.
      RECT r{};
      ::GetWindowRect(child, &r);
      place.width = ::MulDiv(r.right - r.left, kLayoutDpi, dpi_);
      place.height = ::MulDiv(r.bottom - r.top, kLayoutDpi, dpi_);
    }
    places_.push_back(place);
    if (scaled) Apply(places_.back());
  }
  clientWidth_ = ::MulDiv(layout.width, units.cx, 4);
  clientHeight_ = ::MulDiv(layout.height, units.cy, 8);
  if (scaled) ApplyClientSize(nullptr);
}

void ScaledLayout::ApplyFont() {
  if (pointSize_ <= 0) return;
  const LONG wanted = -::MulDiv(pointSize_, dpi_, 72);
  if (fontHeight_ == wanted) return;
  LOGFONTW look = templateFont_;
  look.lfHeight = wanted;
  look.lfWidth = 0;
  UniqueGdi made(::CreateFontIndirectW(&look));
  if (!made) return;
  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(made.get()), FALSE);
  for (HWND child = ::GetWindow(window_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(made.get()), FALSE);
  }
  // The font it replaces is no longer selected anywhere.
  font_ = std::move(made);
  fontHeight_ = wanted;
}

void ScaledLayout::Apply(const Place96& place) const {
  const RECT r = ScaleRectToDpi(place.x, place.y, place.width, place.height, dpi_);
  ::MoveWindow(place.control, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void ScaledLayout::SetClientSize(int width, int height) {
  clientWidth_ = width;
  clientHeight_ = height;
  ApplyClientSize(nullptr);
}

void ScaledLayout::ApplyClientSize(const POINT* corner) {
  RECT rect{0, 0, Scale(clientWidth_), Scale(clientHeight_)};
  const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_EXSTYLE));
  using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = User32Entry<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  if (!adjustForDpi || !adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi_))) {
    ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  }
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  const int x = corner ? corner->x : (::GetSystemMetrics(SM_CXSCREEN) - w) / 2;
  const int y = corner ? corner->y : (::GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  ::SetWindowPos(window_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  // The frame the window really has may differ from the one computed for the DPI (a system that does not scale
  // frames): the client area is what must be exact.
  RECT client{};
  ::GetClientRect(window_, &client);
  const int dx = Scale(clientWidth_) - client.right;
  const int dy = Scale(clientHeight_) - client.bottom;
  if (dx || dy) {
    ::SetWindowPos(window_, nullptr, x - (corner ? 0 : dx / 2), y - (corner ? 0 : dy / 2), w + dx, h + dy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void ScaledLayout::Place(int id, int x, int y, int width, int height) {
  HWND control = ::GetDlgItem(window_, id);
  if (!control) return;
  Place96* place = nullptr;
  for (Place96& p : places_) {
    if (p.control == control) place = &p;
  }
  if (!place) place = &places_.emplace_back();
  *place = {control, x, y, width, height};
  Apply(*place);
}

void ScaledLayout::ChangeDpi(int dpi, const RECT* suggested) {
  if (!window_ || dpi <= 0) return;
  dpi_ = dpi;
  ApplyFont();
  if (clientWidth_ > 0) {
    const POINT corner = suggested ? POINT{suggested->left, suggested->top} : POINT{0, 0};
    ApplyClientSize(suggested ? &corner : nullptr);
  }
  for (const Place96& place : places_) Apply(place);
  ::InvalidateRect(window_, nullptr, TRUE);
}

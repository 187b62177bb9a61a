#include "tests/driver/gui_driver.h"

#include <commctrl.h>

#include <cstdio>

#include "resources/ids.h"
#include "tests/driver/png_writer.h"

namespace gui {

namespace {

struct PageMark {
  const char* name;
  int controlId;
};

// One control ID that only this page's template has.
const PageMark kPageMarks[] = {
    {"PipeRemoval", IDC_PIPE_REMOVAL_BAR},
    {"BuiltInRemoval", IDC_BUILTIN_REMOVAL_BAR},
    {"Language", IDC_LANGUAGE_LIST},
    {"Welcome", IDC_WELCOME_INTRO},
    {"Existing", IDC_EXISTING_TEXT},
    {"Licence", IDC_LICENCE_AGREE},
    {"Type", IDC_TYPE_DEFAULT},
    {"Components", IDC_COMPONENTS_TREE},
    {"Destination", IDC_DESTINATION_FOLDER},
    {"Desktop", IDC_DESKTOP_SHORTCUT},
    {"Summary", IDC_SUMMARY_INSTALL},
    {"Progress", IDC_PROGRESS_BAR},
    {"Finish", IDC_FINISH_FINISH},
    {"Interrupted", IDC_INTERRUPTED_FINISH},
};

constexpr int kMessageTextId = 0xFFFF;
constexpr DWORD kPollMs = 25;

bool IsDialogClass(HWND hwnd) {
  wchar_t name[16] = L"";
  ::GetClassNameW(hwnd, name, 16);
  return wcscmp(name, L"#32770") == 0;
}

bool IsMessageBox(HWND hwnd) {
  return IsDialogClass(hwnd) && IdentifyPage(hwnd).empty() && ::GetDlgItem(hwnd, kMessageTextId);
}

}  // namespace

std::string IdentifyPage(HWND dialog) {
  for (const PageMark& mark : kPageMarks) {
    if (::GetDlgItem(dialog, mark.controlId)) return mark.name;
  }
  return "";
}

Driver::~Driver() {
  if (process_) {
    Kill();
    ::CloseHandle(process_);
  }
}

bool Driver::Start(const std::wstring& exe, const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  // Started from its own folder, as Explorer would.
  const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\') + 1);
  if (!::CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    return false;
  }
  ::CloseHandle(info.hThread);
  process_ = info.hProcess;
  pid_ = info.dwProcessId;
  return true;
}

std::vector<HWND> Driver::TopLevelDialogs() const {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search{pid_, {}};
  struct Collect {
    static BOOL CALLBACK Each(HWND hwnd, LPARAM lp) {
      auto* s = reinterpret_cast<Search*>(lp);
      DWORD pid = 0;
      ::GetWindowThreadProcessId(hwnd, &pid);
      if (pid == s->pid && ::IsWindowVisible(hwnd) && IsDialogClass(hwnd)) s->found.push_back(hwnd);
      return TRUE;
    }
  };
  ::EnumWindows(&Collect::Each, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND Driver::WaitForPage(DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  do {
    for (HWND hwnd : TopLevelDialogs()) {
      std::string page = IdentifyPage(hwnd);
      if (!page.empty()) {
        lastPage_ = page;
        return hwnd;
      }
    }
    if (::WaitForSingleObject(process_, kPollMs) == WAIT_OBJECT_0) return nullptr;
  } while (::GetTickCount() - start < timeoutMs);
  return nullptr;
}

HWND Driver::WaitForNamedPage(const std::string& name, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  do {
    HWND page = WaitForPage(timeoutMs);
    if (!page) return nullptr;
    if (lastPage_ == name) return page;
    ::Sleep(kPollMs);
  } while (::GetTickCount() - start < timeoutMs);
  return nullptr;
}

HWND Driver::FindMessageBox() {
  for (HWND hwnd : TopLevelDialogs()) {
    if (IsMessageBox(hwnd)) return hwnd;
  }
  return nullptr;
}

HWND Driver::WaitForMessageBox(DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  do {
    if (HWND box = FindMessageBox()) return box;
    if (::WaitForSingleObject(process_, kPollMs) == WAIT_OBJECT_0) return nullptr;
  } while (::GetTickCount() - start < timeoutMs);
  return nullptr;
}

std::wstring Driver::MessageText(HWND box) { return ItemText(box, kMessageTextId); }

std::wstring Driver::Caption(HWND window) {
  wchar_t text[1024] = L"";
  ::GetWindowTextW(window, text, 1024);
  return text;
}

std::wstring Driver::ItemText(HWND dialog, int id) {
  HWND item = ::GetDlgItem(dialog, id);
  if (!item) return L"";
  const LRESULT length = ::SendMessageW(item, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  ::SendMessageW(item, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(wcslen(text.c_str()));
  return text;
}

bool Driver::IsChecked(HWND dialog, int id) {
  return ::SendMessageW(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool Driver::IsEnabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

bool Driver::IsVisible(HWND dialog, int id) { return ::IsWindowVisible(::GetDlgItem(dialog, id)) != FALSE; }

int Driver::FirstVisibleLine(HWND dialog, int id) {
  return static_cast<int>(::SendMessageW(::GetDlgItem(dialog, id), EM_GETFIRSTVISIBLELINE, 0, 0));
}

std::pair<int, int> Driver::Selection(HWND dialog, int id) {
  // Both positions come back in the result, so nothing needs to cross into the other process's memory.
  const LRESULT packed = ::SendMessageW(::GetDlgItem(dialog, id), EM_GETSEL, 0, 0);
  return {LOWORD(packed), HIWORD(packed)};
}

HWND Driver::FocusedWindow(HWND dialog) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

void Driver::Click(HWND dialog, int controlId) {
  HWND control = ::GetDlgItem(dialog, controlId);
  wchar_t kind[16] = L"";
  ::GetClassNameW(control, kind, 16);
  if (_wcsicmp(kind, L"Static") != 0) {
    ::PostMessageW(control, BM_CLICK, 0, 0);
    return;
  }
  // A text (a link) knows no BM_CLICK: the mouse goes down and up on it.
  ::PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  ::PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

void Driver::Answer(HWND box, int buttonId) {
  ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(box, buttonId)));
}

void Driver::PressEscape(HWND dialog) {
  ::PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  ::PostMessageW(dialog, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

void Driver::PressEnter(HWND dialog) {
  ::PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  ::PostMessageW(dialog, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

void Driver::TypeKeys(HWND window, const std::wstring& keys) {
  ::SetForegroundWindow(window);
  const auto key = [](WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &input, sizeof(input));
  };
  for (size_t i = 0; i < keys.size(); ++i) {
    const bool alt = keys[i] == L'%' && i + 1 < keys.size();
    if (alt) {
      ++i;
      key(VK_MENU, false);
    }
    const WORD vk = keys[i] == L'\t' ? VK_TAB : LOBYTE(::VkKeyScanW(keys[i]));
    key(vk, false);
    key(vk, true);
    if (alt) key(VK_MENU, true);
    // One key at a time, as a person types: each is handled before the next arrives.
    ::Sleep(100);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
  }
}

void Driver::CloseBox(HWND dialog) { ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

void Driver::SetText(HWND dialog, int id, const std::wstring& text) {
  ::SendMessageW(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Driver::SelectComboItem(HWND dialog, int id, int index) {
  HWND combo = ::GetDlgItem(dialog, id);
  ::SendMessageW(combo, CB_SETCURSEL, index, 0);
  // Setting the selection from outside sends no notification; the dialog expects one from the user.
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

namespace {

// A block of memory in the setup's process, for list and tree messages that carry pointers.
class RemoteBlock {
 public:
  RemoteBlock(DWORD pid, size_t size) : size_(size) {
    process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) address_ = ::VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteBlock() {
    if (address_) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) ::CloseHandle(process_);
  }
  bool ok() const { return address_ != nullptr; }
  char* at(size_t offset) const { return static_cast<char*>(address_) + offset; }
  bool Write(size_t offset, const void* data, size_t size) const {
    return offset + size <= size_ && ::WriteProcessMemory(process_, at(offset), data, size, nullptr);
  }
  bool Read(size_t offset, void* data, size_t size) const {
    return offset + size <= size_ && ::ReadProcessMemory(process_, at(offset), data, size, nullptr);
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  size_t size_;
};

constexpr size_t kTextOffset = 512;
constexpr int kTextChars = 256;

}  // namespace

void Driver::Attach(DWORD pid) { pid_ = pid; }

std::vector<std::wstring> Driver::ListRows(HWND list, int column) const {
  std::vector<std::wstring> rows;
  RemoteBlock block(pid_, kTextOffset + kTextChars * sizeof(wchar_t));
  if (!block.ok()) return rows;
  const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(block.at(kTextOffset));
    item.cchTextMax = kTextChars;
    block.Write(0, &item, sizeof(item));
    ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(block.at(0)));
    wchar_t text[kTextChars] = L"";
    block.Read(kTextOffset, text, sizeof(text));
    text[kTextChars - 1] = 0;
    rows.push_back(text);
  }
  return rows;
}

bool Driver::ClickListRow(HWND list, int row) const {
  RemoteBlock block(pid_, sizeof(RECT));
  RECT rect{LVIR_LABEL, 0, 0, 0};
  if (!block.ok() || !block.Write(0, &rect, sizeof(rect))) return false;
  if (!::SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(block.at(0)))) return false;
  block.Read(0, &rect, sizeof(rect));
  const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
  ::PostMessageW(list, WM_LBUTTONUP, 0, point);
  return true;
}

std::vector<std::pair<std::wstring, bool>> Driver::TreeItems(HWND tree) const {
  std::vector<std::pair<std::wstring, bool>> items;
  RemoteBlock block(pid_, kTextOffset + kTextChars * sizeof(wchar_t));
  if (!block.ok()) return items;
  for (auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)); item;
       item = reinterpret_cast<HTREEITEM>(
           ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
    TVITEMW query{};
    query.mask = TVIF_TEXT | TVIF_STATE | TVIF_HANDLE;
    query.hItem = item;
    query.stateMask = TVIS_STATEIMAGEMASK;
    query.pszText = reinterpret_cast<wchar_t*>(block.at(kTextOffset));
    query.cchTextMax = kTextChars;
    block.Write(0, &query, sizeof(query));
    ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block.at(0)));
    block.Read(0, &query, sizeof(query));
    wchar_t text[kTextChars] = L"";
    block.Read(kTextOffset, text, sizeof(text));
    text[kTextChars - 1] = 0;
    items.emplace_back(text, (query.state & TVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2));
  }
  return items;
}

bool Driver::WaitGone(HWND window, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (::IsWindow(window) && ::IsWindowVisible(window)) {
    if (::GetTickCount() - start >= timeoutMs) return false;
    ::Sleep(kPollMs);
  }
  return true;
}

bool Driver::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (::WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) ::GetExitCodeProcess(process_, exitCode);
  return true;
}

void Driver::Kill() {
  if (process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process_, 1);
    ::WaitForSingleObject(process_, 5000);
  }
}

HBITMAP CreateTopDownDib(HDC dc, int width, int height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

bool Driver::Screenshot(HWND window, const std::wstring& pngPath) {
  // Let the page finish painting: what it still has to paint is painted now (the call waits for the page's
  // thread), then a moment for the screen. PrintWindow is no use here, the screen is the only faithful source.
  ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  ::Sleep(150);
  RECT rect;
  if (!::GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateTopDownDib(screen, width, height, &bits);
  bool ok = false;
  if (bitmap) {
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ok = ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
    ::GdiFlush();
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    const uint8_t* src = static_cast<const uint8_t*>(bits);
    for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i) {
      rgb[i * 3] = src[i * 4 + 2];
      rgb[i * 3 + 1] = src[i * 4 + 1];
      rgb[i * 3 + 2] = src[i * 4];
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    if (ok) {
      const size_t slash = pngPath.find_last_of(L"\\/");
      if (slash != std::wstring::npos) MakeFolders(pngPath.substr(0, slash));
      std::vector<uint8_t> png = EncodePng(rgb, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
      FILE* f = _wfopen(pngPath.c_str(), L"wb");
      ok = f && fwrite(png.data(), 1, png.size(), f) == png.size();
      if (f) fclose(f);
    }
  }
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return ok;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  if (folder.back() == L'\\' || folder.back() == L'/') return folder + name;
  return folder + L"\\" + name;
}

void MakeFolders(const std::wstring& folder) {
  for (size_t pos = folder.find_first_of(L"\\/", 3); pos != std::wstring::npos;
       pos = folder.find_first_of(L"\\/", pos + 1)) {
    ::CreateDirectoryW(folder.substr(0, pos).c_str(), nullptr);
  }
  ::CreateDirectoryW(folder.c_str(), nullptr);
}

}  // namespace gui

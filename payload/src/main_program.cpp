// "Kelto Quorbel.exe": a plain window titled "Kelto Quorbel"; with the single switch "/register" it makes
// itself the handler of .pdf and .fdf files instead and ends without a window.
//
// KELTO_PRODUCT_LOG names a file for tests: every start appends its command line with the default printer and
// the .pdf handler of that moment, so a test can tell in which order the setup's finish actions ran, and with
// what it was started: its parent process (name, "<ended>" once that is gone, and id), its current folder and
// NoDefaultCurrentDirectoryInExePath. A program that the desktop shell starts gets the shell's environment,
// not the setup's: there the value ProductLog of HKCU\Software\Kelto Software\Test names the file instead.
#include <shlobj.h>
#include <windows.h>
#include <tlhelp32.h>

#include <winspool.h>

#include <string>

#include "payload/src/standin.h"

namespace {

const wchar_t kTitle[] = L"Kelto Quorbel";
const wchar_t kWindowClass[] = L"KeltoQuorbelFrame";

bool SetDefaultValue(const std::wstring& subKey, const std::wstring& text) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG status = ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

bool RegisterType(const std::wstring& extension, const std::wstring& progId, const std::wstring& description,
                  const std::wstring& program) {
  const std::wstring classes = L"Software\\Classes\\";
  bool ok = SetDefaultValue(classes + extension, progId);
  ok = SetDefaultValue(classes + progId, description) && ok;
  ok = SetDefaultValue(classes + progId + L"\\DefaultIcon", program + L",0") && ok;
  ok = SetDefaultValue(classes + progId + L"\\shell\\open\\command", L"\"" + program + L"\" \"%1\"") && ok;
  return ok;
}

std::wstring PdfHandler() {
  wchar_t text[256] = L"";
  DWORD size = sizeof(text) - sizeof(wchar_t);
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.pdf", nullptr, RRF_RT_REG_SZ, nullptr, text, &size) !=
      ERROR_SUCCESS) {
    return L"<none>";
  }
  return text;
}

std::wstring DefaultPrinter() {
  wchar_t name[512] = L"";
  DWORD size = 512;
  return ::GetDefaultPrinterW(name, &size) ? std::wstring(name) : L"<none>";
}

// " | parent: <name> | parent id: <id>"; the name is "<ended>" when the parent is gone.
std::wstring Parent() {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return L" | parent: <unknown> | parent id: 0";
  const DWORD self = ::GetCurrentProcessId();
  DWORD parent = 0;
  std::wstring name = L"<ended>";
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
  }
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
    if (parent != 0 && entry.th32ProcessID == parent) name = entry.szExeFile;
  }
  ::CloseHandle(snapshot);
  return L" | parent: " + name + L" | parent id: " + std::to_wstring(parent);
}

// Without a trailing backslash, but for a drive's root.
std::wstring CurrentFolder() {
  wchar_t folder[MAX_PATH * 2] = L"";
  const DWORD length = ::GetCurrentDirectoryW(MAX_PATH * 2, folder);
  std::wstring text(folder, length < MAX_PATH * 2 ? length : 0);
  if (text.size() > 3 && text.back() == L'\\') text.pop_back();
  return text;
}

std::wstring LogPath() {
  const std::wstring fromEnvironment = standin::Environment(L"KELTO_PRODUCT_LOG");
  if (!fromEnvironment.empty()) return fromEnvironment;
  wchar_t path[MAX_PATH] = L"";
  DWORD size = sizeof(path) - sizeof(wchar_t);
  if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Kelto Software\\Test", L"ProductLog", RRF_RT_REG_SZ, nullptr, path,
                     &size) != ERROR_SUCCESS) {
    return std::wstring();
  }
  return path;
}

// An installed product leaves nothing behind in its folder: the log is only written where a test asks.
void LogStart() {
  const std::wstring log = LogPath();
  if (log.empty()) return;
  const std::wstring noCurrentFolder = standin::Environment(L"NoDefaultCurrentDirectoryInExePath");
  standin::AppendLine(log, std::wstring(::GetCommandLineW()) + L" | printer: " + DefaultPrinter() + L" | pdf: " +
                               PdfHandler() + Parent() + L" | folder: " + CurrentFolder() +
                               L" | NoDefaultCurrentDirectoryInExePath: " +
                               (noCurrentFolder.empty() ? L"<none>" : noCurrentFolder));
}

int Register() {
  const std::wstring program = standin::ModulePath();
  bool ok = RegisterType(L".pdf", L"KeltoQuorbel.Document", L"Kelto Quorbel Document", program);
  ok = RegisterType(L".fdf", L"KeltoQuorbel.FDFDoc", L"Kelto Quorbel FDF Document", program) && ok;
  ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  return ok ? 0 : 2;
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static std::wstring* document = nullptr;
  switch (message) {
    case WM_CREATE:
      document = static_cast<std::wstring*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(window, &paint);
      RECT area;
      ::GetClientRect(window, &area);
      const std::wstring text = document && !document->empty() ? *document : L"No document open.";
      ::DrawTextW(dc, text.c_str(), -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_PATH_ELLIPSIS);
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY: ::PostQuitMessage(0); return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

int ShowWindowed(HINSTANCE instance, int show) {
  std::wstring document = standin::Trim(standin::Arguments());
  if (document.size() >= 2 && document.front() == L'"' && document.back() == L'"') {
    document = document.substr(1, document.size() - 2);
  }
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = FrameProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kWindowClass;
  if (!::RegisterClassW(&windowClass)) return 1;
  HWND window = ::CreateWindowExW(0, kWindowClass, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480,
                                  nullptr, nullptr, instance, &document);
  if (!window) return 1;
  ::ShowWindow(window, show);
  ::UpdateWindow(window);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  LogStart();
  if (standin::Lower(standin::Trim(standin::Arguments())) == L"/register") return Register();
  return ShowWindowed(instance, show);
}

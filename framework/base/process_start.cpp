#include "framework/base/process_start.h"

#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include <vector>

#include "framework/base/handles.h"

namespace {

// A VARIANT that holds a string of its own, freed when it goes.
class TextVariant {
 public:
  explicit TextVariant(const std::wstring& text) {
    ::VariantInit(&value_);
    value_.vt = VT_BSTR;
    value_.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  }
  ~TextVariant() { ::VariantClear(&value_); }
  TextVariant(const TextVariant&) = delete;
  TextVariant& operator=(const TextVariant&) = delete;
  bool valid() const { return value_.bstrVal != nullptr; }
  const VARIANT& get() const { return value_; }

 private:
  VARIANT value_;
};

// The shell automation object of the desktop's own view: its ShellExecute runs in the desktop shell's process.
// Reached through the desktop window that the running shell registered, never created here, which would
// make it run in this process with this process's rights.
bool FindDesktopShell(ComRef<IShellDispatch2>& shell) {
  ComRef<IShellWindows> windows;
  if (FAILED(
          ::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows, windows.receive()))) {
    return false;
  }
  VARIANT desktop;
  ::VariantInit(&desktop);
  desktop.vt = VT_I4;
  desktop.lVal = CSIDL_DESKTOP;
  VARIANT noRoot;
  ::VariantInit(&noRoot);
  long window = 0;
  ComRef<IDispatch> found;
  // S_FALSE: no desktop window is registered (the shell is starting or ending).
  if (windows->FindWindowSW(&desktop, &noRoot, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                            reinterpret_cast<IDispatch**>(found.receive())) != S_OK ||
      !found.get()) {
    return false;
  }
  ComRef<IServiceProvider> services;
  ComRef<IShellBrowser> browser;
  ComRef<IShellView> view;
  ComRef<IDispatch> background;
  ComRef<IShellFolderViewDual> folderView;
  ComRef<IDispatch> application;
  return SUCCEEDED(found->QueryInterface(IID_IServiceProvider, services.receive())) &&
         SUCCEEDED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.receive())) &&
         SUCCEEDED(browser->QueryActiveShellView(reinterpret_cast<IShellView**>(view.receive()))) && view.get() &&
         SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.receive())) && background.get() &&
         SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, folderView.receive())) &&
         SUCCEEDED(folderView->get_Application(reinterpret_cast<IDispatch**>(application.receive()))) &&
         application.get() && SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, shell.receive())) &&
         shell.get();
}

UniqueHandle Start(const std::wstring& program, const std::wstring& commandLine, int show) {
  const std::wstring folder = FolderOfPath(program);
  if (folder.empty()) {
    ::SetLastError(ERROR_BAD_PATHNAME);
    return UniqueHandle();
  }
  // The command line is writable for CreateProcessW.
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  if (show != kShowAsItChooses) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
  }
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &info)) {
    return UniqueHandle();
  }
  UniqueHandle thread(info.hThread);
  return UniqueHandle(info.hProcess);
}

}  // namespace

std::wstring FolderOfPath(const std::wstring& path) {
  const size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return std::wstring();
  size_t end = slash;
  while (end > 0 && path[end - 1] == L'\\') --end;
  if (end == 2 && path[1] == L':') return path.substr(0, 3);
  return path.substr(0, end);
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

bool StartProgram(const std::wstring& program, const std::wstring& commandLine, int show) {
  return Start(program, commandLine, show).valid();
}

bool RunProgramToEnd(const std::wstring& program, const std::wstring& commandLine, int show, DWORD* exitCode) {
  const UniqueHandle process = Start(program, commandLine, show);
  if (!process) return false;
  ::WaitForSingleObject(process.get(), INFINITE);
  return ::GetExitCodeProcess(process.get(), exitCode) != FALSE;
}

bool OpenAsDesktopUser(const std::wstring& file, const std::wstring& parameters, const std::wstring& folder, int show) {
  const ComScope com;
  ComRef<IShellDispatch2> shell;
  if (!FindDesktopShell(shell)) return false;
  TextVariant arguments(parameters);
  TextVariant directory(folder);
  TextVariant verb(L"open");
  VARIANT showCommand;
  ::VariantInit(&showCommand);
  showCommand.vt = VT_I4;
  showCommand.lVal = show;
  BSTR name = ::SysAllocStringLen(file.data(), static_cast<UINT>(file.size()));
  if (!name || !arguments.valid() || !directory.valid() || !verb.valid()) {
    ::SysFreeString(name);
    return false;
  }
  // What the shell then makes of the file (a program that fails to start, a type nobody opens) is its own
  // matter, as after a double click: the shell answered.
  shell->ShellExecute(name, arguments.get(), directory.get(), verb.get(), showCommand);
  ::SysFreeString(name);
  return true;
}

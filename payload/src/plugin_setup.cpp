// Browser plug-in installer and uninstaller ("InPDFReaderPlugin.exe", "UnPDFReaderPlugin.exe"): the setup
// only reads their exit code, so they log how they were started ("plugin-log.txt" beside themselves: the command
// line, " | folder: ", the current folder) and end with the code that KELTO_PLUGIN_EXIT names (decimal, default
// 0). KELTO_PLUGIN_DELAY_MS makes them take that long, so a test can act while the setup waits for them.
#include <windows.h>

#include <cwchar>
#include <string>

#include "payload/src/standin.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t folder[MAX_PATH * 2] = L"";
  ::GetCurrentDirectoryW(MAX_PATH * 2, folder);
  standin::AppendLine(standin::ModuleFolder() + L"\\plugin-log.txt",
                      std::wstring(::GetCommandLineW()) + L" | folder: " + folder);
  const std::wstring delay = standin::Trim(standin::Environment(L"KELTO_PLUGIN_DELAY_MS"));
  if (!delay.empty()) ::Sleep(static_cast<DWORD>(std::wcstoul(delay.c_str(), nullptr, 10)));
  const std::wstring code = standin::Trim(standin::Environment(L"KELTO_PLUGIN_EXIT"));
  return code.empty() ? 0 : static_cast<int>(std::wcstol(code.c_str(), nullptr, 10));
}

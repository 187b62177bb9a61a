#include <windows.h>
#include <commctrl.h>

#include "app/setup_session.h"
#include "framework/base/system_library.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  RestrictDllSearchToSystem();
  LeaveStartFolder();
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  // Made here rather than as a global, so that nothing of it runs before the search is restricted.
  static SetupSession session;
  session.InitInstance();
  return 0;
}

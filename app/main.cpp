#include <windows.h>
#include <commctrl.h>

#include "app/setup_session.h"

namespace {
SetupSession g_session;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  g_session.InitInstance();
  return 0;
}

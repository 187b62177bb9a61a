/* Libraries the setup only copies (decoders, download plug-in and its transfer libraries, printer driver,
   system support files): loadable, with one export that names the build. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reason;
  (void)reserved;
  return TRUE;
}

__declspec(dllexport) DWORD WINAPI KeltoComponentVersion(void) { return 0x02020400; }

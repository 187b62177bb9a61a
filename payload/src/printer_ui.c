/* Configuration module of the virtual printer driver ("kqmvpr_ui.dll"). The spooler loads it when a printer
   is added and asks it for property sheets and capabilities; it offers none. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reason;
  (void)reserved;
  return TRUE;
}

/* -1: no document property sheets, and no device mode to size or fill. */
__declspec(dllexport) LONG WINAPI DrvDocumentPropertySheets(void* sheetInfo, LPARAM param) {
  (void)sheetInfo;
  (void)param;
  return -1;
}

__declspec(dllexport) BOOL WINAPI DrvDevicePropertySheets(void* sheetInfo, LPARAM param) {
  (void)sheetInfo;
  (void)param;
  return FALSE;
}

/* 0: the device reports no capability of any kind. */
__declspec(dllexport) DWORD WINAPI
    DrvDeviceCapabilities(HANDLE printer, PWSTR deviceName, WORD capability, void* output, void* devMode) {
  (void)printer;
  (void)deviceName;
  (void)capability;
  (void)output;
  (void)devMode;
  return 0;
}

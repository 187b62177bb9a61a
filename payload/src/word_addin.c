/* Word-processor add-in ("kpc_wordaddin.dll"). Registration leaves a marker key in the user's registry
   instead of touching the word processor's own settings, so tests can see that the setup called it. */
#include <windows.h>
#include <objbase.h>

static const wchar_t kMarkerKey[] = L"Software\\Kelto Software\\Test\\WordAddinRegistered";
static HINSTANCE module;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) module = instance;
  return TRUE;
}

/* The marker's default value is the path the add-in was registered from. */
__declspec(dllexport) HRESULT WINAPI DllRegisterServer(void) {
  wchar_t path[MAX_PATH * 2] = L"";
  DWORD length = GetModuleFileNameW(module, path, MAX_PATH * 2);
  HKEY key = NULL;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kMarkerKey, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, NULL, &key,
                      NULL) != ERROR_SUCCESS) {
    return E_FAIL;
  }
  RegSetValueExW(key, NULL, 0, REG_SZ, (const BYTE*)path, (length + 1) * sizeof(wchar_t));
  RegCloseKey(key);
  return S_OK;
}

/* Unregistering an add-in that is not registered is not an error. */
__declspec(dllexport) HRESULT WINAPI DllUnregisterServer(void) {
  RegDeleteKeyW(HKEY_CURRENT_USER, kMarkerKey);
  return S_OK;
}

__declspec(dllexport) HRESULT WINAPI DllCanUnloadNow(void) { return S_OK; }

__declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, void** object) {
  (void)classId;
  (void)interfaceId;
  if (object) *object = NULL;
  return CLASS_E_CLASSNOTAVAILABLE;
}

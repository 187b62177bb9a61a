#include "app/setup_session.h"

#include "core/text_ids.h"
#include "framework/base/handles.h"

namespace {

bool QueryOsVersion(DWORD& major) {
  OSVERSIONINFOEXW extended{};
  extended.dwOSVersionInfoSize = sizeof(extended);  // 284 bytes
  if (::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&extended))) {
    major = extended.dwMajorVersion;
    return true;
  }
  OSVERSIONINFOW basic{};
  basic.dwOSVersionInfoSize = sizeof(basic);  // 276 bytes
  if (::GetVersionExW(&basic)) {
    major = basic.dwMajorVersion;
    return true;
  }
  return false;
}

}  // namespace

int SetupSession::DetectWow64() {
#ifdef _WIN64
  // A 64-bit build (the test build) runs on 64-bit Windows by definition.
  return 1;
#endif
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  auto isWow64Process =
      kernel ? reinterpret_cast<IsWow64ProcessFn>(::GetProcAddress(kernel, "IsWow64Process")) : nullptr;
  BOOL wow64 = FALSE;
  if (!isWow64Process || !isWow64Process(::GetCurrentProcess(), &wow64)) return 0;
  return wow64 ? 1 : 0;
}

int SetupSession::PreflightCheck() {
  auto fail = [this](unsigned textId) {
    ShowMessage(nullptr, Text(textId), Text(kTextCaption), MB_ICONEXCLAMATION | MB_OK);
    return 0;
  };
  DWORD major = 0;
  if (!QueryOsVersion(major)) return fail(kTextNoSystemInformation);
  if (major < 5) return fail(kTextWindowsTooOld);

  UniqueKey key;
  DWORD disposition = 0;
  if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        key.receive(), &disposition) != ERROR_SUCCESS) {
    return fail(kTextNeedAdministrator);
  }
  key.reset();
  options.isAdmin = 1;
  options.isWow64 = DetectWow64();
  return 1;
}

#include "framework/base/final_path.h"

#include <vector>

#include "framework/base/handles.h"
#include "framework/base/path_text.h"

namespace {

FinalPathSource g_source = FinalPathSource::Automatic;

using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);

FinalPathFunction FinalPathLookup() {
  static const FinalPathFunction function = reinterpret_cast<FinalPathFunction>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetFinalPathNameByHandleW")));
  return function;
}

std::wstring SystemFinalPath(FinalPathFunction finalPath, HANDLE handle) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = finalPath(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
    if (length == 0) return std::wstring();
    if (length < buffer.size()) return WithoutTrailingBackslash(std::wstring(buffer.data(), length));
    buffer.resize(length + 1);
  }
}

// NtQueryObject's ObjectNameInformation: the UNICODE_STRING of the name, its characters right behind it.
struct ObjectName {
  USHORT length;
  USHORT maximumLength;
  PWSTR buffer;
};
using QueryObjectFunction = LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
constexpr int kObjectNameInformation = 1;

std::wstring ObjectNamePath(HANDLE handle) {
  static const QueryObjectFunction queryObject = reinterpret_cast<QueryObjectFunction>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
  if (!queryObject) return std::wstring();
  std::vector<ULONGLONG> buffer(1024);  // 8 KB, aligned for the record
  ULONG needed = 0;
  LONG status = queryObject(handle, kObjectNameInformation, buffer.data(),
                            static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG)), &needed);
  if (status < 0 && needed > buffer.size() * sizeof(ULONGLONG)) {
    buffer.resize(needed / sizeof(ULONGLONG) + 1);
    status = queryObject(handle, kObjectNameInformation, buffer.data(),
                         static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG)), &needed);
  }
  if (status < 0) return std::wstring();
  const auto* name = reinterpret_cast<const ObjectName*>(buffer.data());
  if (!name->buffer || name->length == 0) return std::wstring();
  return WithoutTrailingBackslash(std::wstring(name->buffer, name->length / sizeof(wchar_t)));
}

}  // namespace

std::wstring FinalPathOf(HANDLE handle) {
  if (!handle || handle == INVALID_HANDLE_VALUE) return std::wstring();
  switch (g_source) {
    case FinalPathSource::None: return std::wstring();
    case FinalPathSource::ObjectName: return ObjectNamePath(handle);
    case FinalPathSource::Automatic: break;
  }
  // Where the system has the call, its answer is the only one taken: a failure there means it can't be told.
  if (const FinalPathFunction finalPath = FinalPathLookup()) return SystemFinalPath(finalPath, handle);
  return ObjectNamePath(handle);
}

std::wstring FinalPathOfPath(const std::wstring& path) {
  const UniqueHandle entry(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return FinalPathOf(entry.get());
}

void SetFinalPathSourceForTests(FinalPathSource source) { g_source = source; }

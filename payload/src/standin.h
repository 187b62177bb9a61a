// Small helpers the stand-in programs share: where they live, what they were started with, their logs.
#pragma once

#include <windows.h>

#include <cwctype>
#include <string>

namespace standin {

inline std::wstring ModulePath() {
  wchar_t path[MAX_PATH * 2] = L"";
  ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  return path;
}

// Without the trailing backslash.
inline std::wstring ModuleFolder() {
  const std::wstring path = ModulePath();
  const size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// The command line without the program part, leading blanks dropped. The setup quotes the program and
// may put an argument right after the closing quote, without a blank.
inline std::wstring Arguments() {
  const wchar_t* p = ::GetCommandLineW();
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return p;
}

inline std::wstring Trim(const std::wstring& text) {
  const size_t first = text.find_first_not_of(L" \t\r\n");
  if (first == std::wstring::npos) return std::wstring();
  return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

inline std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

inline std::wstring Environment(const wchar_t* name) {
  wchar_t value[256] = L"";
  const DWORD n = ::GetEnvironmentVariableW(name, value, 256);
  return n > 0 && n < 256 ? std::wstring(value, n) : std::wstring();
}

// Appends one line, UTF-8 with CRLF, to a log that tests and people read afterwards.
inline bool AppendLine(const std::wstring& path, const std::wstring& line) {
  const std::wstring text = line + L"\r\n";
  const int bytes =
      ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(bytes > 0 ? bytes : 0, '\0');
  if (bytes > 0) {
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], bytes, nullptr, nullptr);
  }
  HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == utf8.size();
}

}  // namespace standin

#pragma once
// Path and string helpers that make no system call. Header-only and free of Windows headers, so the portable
// code above the base, which is also built natively, shares this one copy.
#include <string>

// The path with one trailing backslash: one is added unless it ends with one already ("" becomes "\").
inline std::wstring WithTrailingBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}

// The path without its trailing backslash, if it has one; only one is taken away.
inline std::wstring WithoutTrailingBackslash(std::wstring path) {
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

// `folder` and `name` with exactly one backslash between them: a trailing one of the folder and a leading one of
// the name are not doubled.
inline std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  const bool leading = !name.empty() && name.front() == L'\\';
  return WithoutTrailingBackslash(folder) + L'\\' + (leading ? name.substr(1) : name);
}

// The folder of a module path: everything before its last backslash; empty without one.
inline std::u16string SetupFolderOf(const std::u16string& modulePath) {
  const size_t slash = modulePath.rfind(u'\\');
  return slash == std::u16string::npos ? std::u16string() : modulePath.substr(0, slash);
}

// The same UTF-16 text in the other string type: the catalogue's texts are char16_t, the system's wchar_t.
inline std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string Utf16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

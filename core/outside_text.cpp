#include "core/outside_text.h"

#include <cwchar>
#include <cwctype>

namespace {

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

bool IsReservedDeviceName(const std::wstring& name) {
  // The device is reserved with any extension: "nul.txt" names the device too.
  const std::wstring base = Upper(name.substr(0, name.find(L'.')));
  if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL") return true;
  return base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) && base[3] >= L'1' &&
         base[3] <= L'9';
}

bool IsAsciiLetterOrDigit(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

bool IsBareHostName(const std::wstring& text) {
  if (text.empty() || !IsAsciiLetterOrDigit(text[0])) return false;
  for (const wchar_t c : text) {
    if (!IsAsciiLetterOrDigit(c) && c != L'.' && c != L'-') return false;
  }
  return true;
}

bool StartsWithCaseBlind(const std::wstring& text, const wchar_t* prefix) {
  const std::wstring wanted = prefix;
  return text.size() >= wanted.size() && Upper(text.substr(0, wanted.size())) == Upper(wanted);
}

}  // namespace

bool IsSafeFileName(const std::wstring& name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  for (const wchar_t c : name) {
    if (c < 32 || std::wcschr(L"\\/<>:\"|?*", c)) return false;
  }
  if (name.back() == L'.' || name.back() == L' ') return false;
  return !IsReservedDeviceName(name);
}

bool IsWebAddress(const std::wstring& address) {
  for (const wchar_t* scheme : {L"http://", L"https://"}) {
    if (StartsWithCaseBlind(address, scheme) && address.size() > std::wstring(scheme).size()) return true;
  }
  return false;
}

std::wstring WebAddressToOpen(const std::wstring& text) {
  if (IsWebAddress(text)) return text;
  return IsBareHostName(text) ? L"http://" + text : std::wstring();
}

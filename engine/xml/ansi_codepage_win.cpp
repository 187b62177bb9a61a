#include "engine/xml/ansi_codepage.h"

#include <windows.h>

#include <climits>

std::u16string AnsiToUtf16(const char* bytes, size_t length) {
  if (length == 0 || length > static_cast<size_t>(INT_MAX)) return std::u16string();
  const int inLength = static_cast<int>(length);
  const int needed = MultiByteToWideChar(CP_ACP, 0, bytes, inLength, nullptr, 0);
  if (needed <= 0) return std::u16string();
  std::u16string out(static_cast<size_t>(needed), u'\0');
  const int written = MultiByteToWideChar(CP_ACP, 0, bytes, inLength, reinterpret_cast<wchar_t*>(&out[0]), needed);
  out.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return out;
}

// The system's ANSI code page, the one encoding the XML reader does not
// decode itself (CDATA sections). Windows uses the process code page; the
// native build uses a fixed Windows-1252 table so tests are deterministic.
#pragma once

#include <cstddef>
#include <string>

std::u16string AnsiToUtf16(const char* bytes, size_t length);

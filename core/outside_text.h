#pragma once
// Texts from outside the setup (language files beside it, the user's own registry) that become names on disk
// or addresses to open. The setup runs elevated: such a text is used only when it is what it claims to be.
#include <string>

// One folder or file name: not empty, no separator, no "." or "..", none of < > : " | ? * or control
// characters, no trailing dot or blank, not a reserved device name (CON, NUL, COM1, LPT1, ... with or without an
// extension).
bool IsSafeFileName(const std::wstring& name);

// An address the shell may open: "http://" or "https://" (any letter case) followed by something.
bool IsWebAddress(const std::wstring& address);

// What a link showing `text` opens: a web address as it is; a bare host name (ASCII letters, digits, dots and
// hyphens, beginning with a letter or digit, as in "www.kelto.example") as "http://" + the name, the way the
// system's shell qualifies it; anything else (a program, a path, another scheme) is empty: nothing.
std::wstring WebAddressToOpen(const std::wstring& text);

#pragma once
// Making the installed product the handler of PDF and FDF files: other handlers' values are cleared, then
// the main program registers itself.
#include <windows.h>

#include <string>

inline constexpr wchar_t kPdfProgId[] = L"KeltoQuorbel.Document";
inline constexpr wchar_t kFdfProgId[] = L"KeltoQuorbel.FDFDoc";

// Deletes, wherever the registry names another handler of .pdf or .fdf, that one value. Reads use the
// 64-bit view when `isWow64` is set; deletions never do.
void ClearForeignPdfAssociations(int isWow64);

// Runs "<installFolder>Kelto Quorbel.exe" /register by its full path in its own folder and waits for it;
// `installFolder` ends with a backslash.
void RegisterMainProgram(const std::wstring& installFolder);

// The command line RegisterMainProgram starts.
std::wstring RegisterCommandLine(const std::wstring& installFolder);

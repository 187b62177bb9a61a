#pragma once
// The product's fixed names: records, programs, printer and pipe. One definition for the setup, the stand-ins
// and the test driver.

inline constexpr wchar_t kProductCode[] = L"{6A0F2B71-3C58-4E19-9D2A-5B7E40C1F8A3}";
inline constexpr wchar_t kSetupVersion[] = L"2.2.4.0225";
inline constexpr wchar_t kProductSubfolder[] = L"\\Kelto Software\\Kelto Quorbel";

inline constexpr wchar_t kProductKey[] = L"Software\\Kelto Software\\Kelto Quorbel";
inline constexpr wchar_t kLanguageKey[] = L"Software\\Kelto Software\\Kelto Quorbel\\LANGUAGE";
inline constexpr wchar_t kUpdatesListKey[] = L"Software\\Kelto Software\\Kelto Quorbel\\Updates List\\";
inline constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kelto Quorbel";

inline constexpr wchar_t kMainProgram[] = L"Kelto Quorbel.exe";
inline constexpr wchar_t kBetaProgram[] = L"Kelto Quorbel Beta.exe";
inline constexpr wchar_t kUninstaller[] = L"Uninstall.exe";

// The virtual printer's name is also the caption of the spooler's and the add-in's message boxes.
inline constexpr wchar_t kPrinterName[] = L"Kelto Quorbel Printer";
inline constexpr wchar_t kPrinterPortName[] = L"KELTO_QUORBEL:";

// The earlier version's uninstaller reports its progress to this pipe.
inline constexpr wchar_t kRemovalPipeName[] = L"\\\\.\\pipe\\Kelto Quorbel";

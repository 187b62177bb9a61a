#pragma once
// Makes a printer the system's default printer for the finish actions.
#include <string>

// Through "SetDefaultPrinterW" of "winspool.drv", looked up at run time: its result, or 0 when the library or
// the entry is missing (nothing happens then).
int MakeDefaultPrinter(const std::wstring& printerName);

// The same through any library and entry of that signature.
int MakeDefaultPrinterThrough(const wchar_t* library, const char* entry, const std::wstring& printerName);

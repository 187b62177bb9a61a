#include "integration/default_printer.h"

#include <windows.h>

#include "framework/base/handles.h"
#include "integration/spooler.h"

int MakeDefaultPrinter(const std::wstring& printerName) {
  return MakeDefaultPrinterThrough(L"winspool.drv", "SetDefaultPrinterW", printerName);
}

int MakeDefaultPrinterThrough(const wchar_t* library, const char* entry, const std::wstring& printerName) {
  using SetDefaultPrinterFn = BOOL(WINAPI*)(LPCWSTR);
  // Looked up, not imported: a system without it loses this action only.
  const UniqueModule module(LoadSystemLibrary(library));
  const auto setDefault = FindEntry<SetDefaultPrinterFn>(module.get(), entry);
  return setDefault ? setDefault(printerName.c_str()) : 0;
}

#pragma once
// Spooler set-up shared by the printer tests: a printer added straight through the spooler, as another
// product or an earlier install would have left it.
#include <windows.h>
#include <winspool.h>

#include <string>

#include "tests/driver/system_state.h"

// Wine's spooler adds a printer only on a driver of the calling process's own environment.
constexpr const wchar_t* kProcessEnvironment = sizeof(void*) == 4 ? L"Windows NT x86" : L"Windows x64";

// So a printer on the driver of the other environment is refused: the 32-bit setup's on the 64-bit driver it
// installs for 64-bit Windows (a 64-bit prefix, or a test that says so in a 32-bit one).
inline bool SpoolerRefusesThePrinter(bool driverFor64BitWindows = sys::PrefixIs64Bit()) {
  return driverFor64BitWindows != (sizeof(void*) == 8);
}

inline bool AddPrinterDirectly(const std::wstring& name, const std::wstring& driver, const std::wstring& port) {
  std::wstring printerName = name, driverName = driver, portName = port, processor = L"WinPrint", dataType = L"RAW";
  PRINTER_INFO_2W info{};
  info.pPrinterName = printerName.data();
  info.pPortName = portName.data();
  info.pDriverName = driverName.data();
  info.pPrintProcessor = processor.data();
  info.pDatatype = dataType.data();
  info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
  if (!printer) return false;
  ::ClosePrinter(printer);
  return true;
}

#pragma once
// The print-spooler calls of the virtual printer as one table, so that a test can make a single call fail the
// way a real system does (a printer held open, a driver already gone). The real calls by default, looked up
// in the system folder's spooler library rather than imported.
#include <windows.h>
#include <winspool.h>

#include <functional>

#include "framework/base/system_library.h"

struct SpoolerCalls {
  std::function<BOOL(LPWSTR server, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed)>
      getPrinterDriverDirectory;
  std::function<BOOL(LPWSTR name, LPHANDLE printer, LPPRINTER_DEFAULTSW defaults)> openPrinter;
  std::function<BOOL(HANDLE printer)> closePrinter;
  // The imported entry; the port is added through the one looked up at run time.
  std::function<BOOL(HANDLE xcv, PCWSTR command, PBYTE input, DWORD inputSize, PBYTE output, DWORD outputSize,
                     PDWORD needed, PDWORD status)>
      xcvData;
  std::function<BOOL(LPWSTR server, DWORD level, LPBYTE info)> addPrinterDriver;
  std::function<HANDLE(LPWSTR server, DWORD level, LPBYTE info)> addPrinter;
  std::function<BOOL(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                     LPDWORD returned)>
      enumPrinters;
  std::function<BOOL(HANDLE printer)> deletePrinter;
  std::function<BOOL(LPWSTR server, LPWSTR environment, LPWSTR driver)> deletePrinterDriver;
  std::function<BOOL(LPWSTR server, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                     LPDWORD returned)>
      enumPrinterDrivers;
};

SpoolerCalls RealSpoolerCalls();

#include "integration/spooler.h"

SpoolerCalls RealSpoolerCalls() {
  SpoolerCalls calls;
  calls.getPrinterDriverDirectory = ::GetPrinterDriverDirectoryW;
  calls.openPrinter = ::OpenPrinterW;
  calls.closePrinter = ::ClosePrinter;
  calls.xcvData = ::XcvDataW;
  calls.addPrinterDriver = ::AddPrinterDriverW;
  calls.addPrinter = ::AddPrinterW;
  calls.enumPrinters = ::EnumPrintersW;
  calls.deletePrinter = ::DeletePrinter;
  calls.deletePrinterDriver = ::DeletePrinterDriverW;
  calls.enumPrinterDrivers = ::EnumPrinterDriversW;
  return calls;
}

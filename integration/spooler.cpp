#include "integration/spooler.h"

#include "framework/base/handles.h"

namespace {

HMODULE Winspool() {
  static const UniqueModule module(LoadSystemLibrary(L"winspool.drv"));
  return module.get();
}

// The entry of that name as a call; a missing one fails as the system says for a missing entry.
template <typename Fn>
auto Bind(const char* name) {
  const Fn entry = FindEntry<Fn>(Winspool(), name);
  return [entry](auto... args) -> decltype(entry(args...)) {
    if (!entry) {
      ::SetLastError(ERROR_PROC_NOT_FOUND);
      return {};
    }
    return entry(args...);
  };
}

}  // namespace

SpoolerCalls RealSpoolerCalls() {
  SpoolerCalls calls;
  calls.getPrinterDriverDirectory = Bind<decltype(&::GetPrinterDriverDirectoryW)>("GetPrinterDriverDirectoryW");
  calls.openPrinter = Bind<decltype(&::OpenPrinterW)>("OpenPrinterW");
  calls.closePrinter = Bind<decltype(&::ClosePrinter)>("ClosePrinter");
  calls.xcvData = Bind<decltype(&::XcvDataW)>("XcvDataW");
  calls.addPrinterDriver = Bind<decltype(&::AddPrinterDriverW)>("AddPrinterDriverW");
  calls.addPrinter = Bind<decltype(&::AddPrinterW)>("AddPrinterW");
  calls.enumPrinters = Bind<decltype(&::EnumPrintersW)>("EnumPrintersW");
  calls.deletePrinter = Bind<decltype(&::DeletePrinter)>("DeletePrinter");
  calls.deletePrinterDriver = Bind<decltype(&::DeletePrinterDriverW)>("DeletePrinterDriverW");
  calls.enumPrinterDrivers = Bind<decltype(&::EnumPrinterDriversW)>("EnumPrinterDriversW");
  return calls;
}

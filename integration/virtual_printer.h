#pragma once
// The virtual printer: port, driver and printer in the spooler, then the word-processor add-in.
#include <string>

#include "engine/install_context.h"

struct PrinterInstallParams {
  std::wstring extractionFolder;
  std::wstring installFolder;
  int isWow64 = 0;
  int isAdmin = 0;
};

// Port, driver and printer in the spooler, then the word-processor add-in.
class VirtualPrinterInstaller {
 public:
  int InitForInstall(const PrinterInstallParams& params);  // 1
  void SetProgress(InstallProgress* progress, int start, int end);
  int Install();  // 1 when every step succeeded

 private:
  PrinterInstallParams params_;
  ProgressRange range_;
};

// Not written yet: installs nothing and says so.
#include "integration/virtual_printer.h"

namespace {

std::wstring WithoutTrailingBackslash(const std::wstring& path) {
  return !path.empty() && path.back() == L'\\' ? path.substr(0, path.size() - 1) : path;
}

}  // namespace

int VirtualPrinterInstaller::InitForInstall(const PrinterInstallParams& params) {
  params_ = params;
  params_.extractionFolder = WithoutTrailingBackslash(params.extractionFolder);
  params_.installFolder = WithoutTrailingBackslash(params.installFolder);
  return 1;
}

void VirtualPrinterInstaller::SetProgress(InstallProgress* progress, int start, int end) {
  range_ = {progress, start, end};
}

int VirtualPrinterInstaller::Install() { return 0; }

#include "core/setup_options.h"

void ResetOptions(SetupOptions& o, int skinIndex, int languageMode, const std::wstring& programFilesFolder) {
  o.SkinIndex = skinIndex;
  o.languageMode = languageMode;
  o.existingState = 0;
  o.uninstallViaPipe = 0;
  o.defaultInstall = o.desktopShortcut = o.startMenuIcon = o.quickLaunchIcon = o.allUsers = o.runProgram = 1;
  o.viewReadme = 0;
  o.setDefaultPrinter = o.setDefaultPdfHandler = 1;
  o.existPath.clear();
  o.createdFolder.clear();
  o.incompleteInstall = 0;
  o.extractionFolder.clear();
  o.defaultInstallFolder = programFilesFolder + kProductSubfolder;
  o.installFolder = o.defaultInstallFolder;
  o.setupVersion = kSetupVersion;
}

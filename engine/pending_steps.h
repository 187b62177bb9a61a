#pragma once
// The printer and component installers as the install sequence calls them. Their work is not written yet:
// the bodies in pending_steps.cpp do nothing and report that nothing was installed.
#include <string>
#include <vector>

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

// The add-on components with their "Updates List" records, the stamps, the language files and the OCR
// add-on. Install routines return 1 or 0; a 0 is answered by the matching remove routine, which returns 1.
class ComponentRegistry {
 public:
  void SetProgress(InstallProgress* progress, int start, int end);
  void SetSourceFolder(const std::wstring& path);   // one trailing backslash is dropped
  void SetInstallFolder(const std::wstring& path);  // one trailing backslash is dropped
  void SetAllUsers(int allUsers);
  void SetSkinIndex(int skinIndex);  // picks the stamp set and the language-file suffix

  int InstallCjkSupport();
  int RemoveCjkSupport();
  int InstallImageDecoders();
  int RemoveImageDecoders();
  int InstallSpellCheck();
  int RemoveSpellCheck();
  int InstallBrowserPlugin();
  int RemoveBrowserPlugin(int runUninstaller);
  int InstallOnDemandPlugin();
  int RemoveOnDemandPlugin();
  int InstallStamps();
  int RemoveStamps();
  int InstallLanguageFiles();
  int RemoveLanguageFiles();
  int InstallOcrAddon();
  int RemoveOcrAddon();

 private:
  std::wstring sourceFolder_;
  std::wstring installFolder_;
  int allUsers_ = 0;
  int skinIndex_ = 0;
  ProgressRange range_;
  std::vector<std::wstring> extraLanguages_;
};

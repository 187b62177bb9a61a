#pragma once
// The add-on components with their "Updates List" records, the stamps, the language files and the OCR add-on.
#include <string>
#include <vector>

#include "engine/install_context.h"

// Install routines return 1 or 0; a 0 is answered by the matching remove routine, which returns 1.
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

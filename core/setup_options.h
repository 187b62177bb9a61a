#pragma once
#include <string>

#include "core/product.h"

// SkinIndex values whose pages are laid out differently.
inline constexpr int kKorean = 3;
inline constexpr int kJapanese = 4;
inline constexpr int kInstallerLanguages = 7;

// The choices the pages collect and the install sequence consumes. Integers are flags unless noted.
struct SetupOptions {
  int SkinIndex = 0;      // installer language 0..6: English, French, German, Korean, Japanese, zh-CN, zh-TW
  int languageMode = 0;   // 0 none, 1 fixed language, 2 chosen in the language dialog
  int existingState = 0;  // 0 nothing, 1 same, 2 newer, 3 older version installed
  int uninstallViaPipe = 0;
  int defaultInstall = 1;
  int desktopShortcut = 1;
  int startMenuIcon = 1;
  int quickLaunchIcon = 1;
  int allUsers = 1;
  int runProgram = 1;
  int viewReadme = 0;
  int setDefaultPrinter = 1;
  int setDefaultPdfHandler = 1;
  int isWow64 = 0;
  int isAdmin = 0;
  std::wstring existPath;
  std::wstring createdFolder;  // the outermost folder of the install path this run made; empty when none
  int incompleteInstall = 0;   // a stopped install had replaced files of an earlier one
  std::wstring installFolder;
  std::wstring extractionFolder;
  std::wstring defaultInstallFolder;
  std::wstring setupVersion;
};

// The reset that start-up runs after the language is loaded. Fields the reset does not name
// (isWow64, isAdmin) keep their values.
void ResetOptions(SetupOptions& options, int skinIndex, int languageMode, const std::wstring& programFilesFolder);

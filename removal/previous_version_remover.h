#pragma once
// Takes an earlier installation away before the new version goes in: through the installer service, through
// the old version's own uninstaller reporting over a named pipe, or by the setup itself behind a small
// progress window.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "core/page_flow.h"
#include "core/setup_options.h"
#include "core/install_context.h"
#include "framework/base/confined_folder.h"

// "<systemFolder>\msiexec.exe" /x <product code> /quiet /norestart; empty without a system folder, so nothing
// is started from the root of the current drive.
std::wstring InstallerServiceCommandLine(const std::wstring& systemFolder);

// "<installFolder>Uninstall.exe"UninstForInst; installFolder ends with a backslash.
std::wstring UninstallerCommandLine(const std::wstring& installFolder);

// The integer a pipe report carries: decimal text ended by the message's end or a NUL, as atoi reads it
// (0 when it does not start with a number), saturated at the int range.
int PipeReportValue(const char* bytes, size_t size);

// The security descriptor (as SDDL) of the removal pipe: SYSTEM and the administrators only, network logons
// refused.
std::wstring RemovalPipeSecurity();

// The removal pipe's server end: the first instance of its name, local clients only, with the descriptor `sddl`.
// INVALID_HANDLE_VALUE when it can't be created, the name is taken or the descriptor can't be built.
HANDLE CreateRemovalPipe(const std::wstring& sddl = RemovalPipeSecurity());

// A folder the built-in removal may work in: "X:\name..." or "\\server\share\name...", with no ".", ".."
// or empty parts and no wildcard or stream characters. A drive's or a share's root is never one.
bool IsRemovableInstallFolder(const std::wstring& folder);

// The folders the built-in removal tries to remove once emptied, deepest first: the install folder and its
// parents up to, not including, existPath (compared without regard to case). Both end with a backslash;
// nothing when they are the same folder, and never a drive or share root.
std::vector<std::wstring> EmptiedFolderCandidates(const std::wstring& installFolder, const std::wstring& existPath);

// The registry keys of the product and its former names that the built-in removal deletes under each hive.
const std::vector<std::wstring>& ProductKeysToDelete();

// The built-in removal's step for the add-on components: every row of the component table taken from
// `installFolder` in the table's order, the plug-in's own uninstaller run; the bar is handed 40 to 60.
void RemoveAddOnComponents(const std::wstring& installFolder, InstallProgress& bar);

// What the built-in removal works on, read from the earlier installation's record.
struct PreviousInstallation {
  std::wstring folder;     // "InstallPath", with a trailing backslash
  std::wstring existPath;  // "ExistPath", with a trailing backslash
};

// The removal's progress windows, which the user interface shows.
class RemovalWindows {
 public:
  virtual ~RemovalWindows() = default;
  // Window 178 while the old uninstaller reports: opened at its first report, 0 to 100, drawn at once.
  virtual void OpenPipeWindow() = 0;
  virtual bool PipeWindowOpen() const = 0;
  virtual void SetPipePosition(int position) = 0;
  virtual void ClosePipeWindow() = 0;
  // Window 179 running `work` from its first timer tick; false when the window can't be shown.
  virtual bool RunBuiltInWindow(const std::function<void(InstallProgress& bar)>& work) = 0;
};

class PreviousVersionRemover {
 public:
  PreviousVersionRemover(SetupOptions& options, Prompter& prompt, RemovalWindows& windows);

  // Runs the installer service's removal of the product and waits for it; its outcome is not examined.
  void RemoveInstallerPackage();

  // Starts the old uninstaller and follows its reports over the pipe; shows window 178 while it reports. Reports
  // count from the uninstaller and what it starts, which go in a job of their own; `ownJob` false does as where
  // the system refuses that job (a setup already in a job that allows no other), which tests can't bring about.
  PipeRemovalResult RemoveViaPipe(bool ownJob = true);

  // Preparation, then window 179 running the removal steps. False when the preparation refused: a program
  // file is in use (after kTextProgramInUse), or the record names no folder the removal may touch.
  bool RemoveBuiltIn();

  // The pieces of the built-in removal, for tests.
  // Reads the record and tests both program files; true to go on. Sets installFolder on success.
  bool PrepareBuiltIn();
  // The eight steps, reporting the bar after each.
  void RunBuiltInSteps(InstallProgress& bar);
  const PreviousInstallation& previous() const { return previous_; }

 private:
  // True when another program holds `path` (after kTextProgramInUse); deletes nothing.
  bool InUse(const std::wstring& path);
  void RemoveDesktopLinks();
  void RemoveQuickLaunchLinks();
  void RemoveMenuFolders();
  void RemovePrinter(InstallProgress& bar);
  void RemoveProgramFiles();
  void RestorePdfAssociation();
  void DeleteProductKeys();

  SetupOptions& options_;
  Prompter& prompt_;
  RemovalWindows& windows_;
  PreviousInstallation previous_;
  ConfinedFolder installed_;  // previous_.folder: nothing below it is deleted through a link
};

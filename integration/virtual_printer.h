#pragma once
// The virtual printer: port, driver and printer in the spooler, then the word-processor add-in; and their
// removal when an earlier installation goes.
#include <windows.h>

#include <functional>
#include <string>

#include "core/install_context.h"
#include "integration/spooler.h"

inline constexpr wchar_t kPrinterDriverName[] = L"Kelto Quorbel Printer Driver";
inline constexpr wchar_t kEnvironment32[] = L"Windows NT x86";
inline constexpr wchar_t kEnvironment64[] = L"Windows x64";

// How far an install got, and so what its undo removes; the numbers are what tests and logs show.
enum PrinterStage : int {
  kPrinterNothing = 0,
  kPrinterPortAdded = 1,
  kPrinterDriverFilesCopied = 2,
  kPrinterDriverAdded = 3,
  kPrinterAdded = 4,
};

struct PrinterInstallParams {
  std::wstring extractionFolder;
  std::wstring installFolder;
  int isWow64 = 0;
  int isAdmin = 0;
  Prompter* prompt = nullptr;  // asks the retry questions; none: every retry is declined
};

// The word-processor add-in as the printer install (its last step) and removal (after the spooler objects)
// run it; replaceable so that the printer's own steps can be tested apart from it.
struct WordAddinSteps {
  std::function<int(const std::wstring& sourceFolder, const std::wstring& installFolder, Prompter* prompt)> install;
  std::function<int(const std::wstring& folder)> remove;
};

// The add-in module's InstallWordAddin and RemoveWordAddin, which every printer installer starts with.
WordAddinSteps DefaultWordAddinSteps();

// Port, driver and printer in the spooler, then the word-processor add-in. One instance per use; it holds no
// system handle between calls.
class VirtualPrinterInstaller {
 public:
  explicit VirtualPrinterInstaller(SpoolerCalls spooler = RealSpoolerCalls());

  int InitForInstall(const PrinterInstallParams& params);  // 1
  void SetProgress(InstallProgress* progressBar, int start, int end);
  int Install();  // 1 when every step succeeded

  // Takes the folder of an earlier installation and finds out the rights and the platform itself. 1.
  int InitForRemoval(const std::wstring& installFolder, InstallProgress* progressBar, int start, int end);
  int Remove();  // 0 without rights, without a driver directory or after a cancelled retry box

  void SetPrompter(Prompter* prompt) { prompt_ = prompt; }
  void SetWordAddinSteps(WordAddinSteps steps);

  // Removes what `stage` says exists, newest first; 0 when the user cancelled a retry box.
  int Undo();
  // Every local printer whose driver is ours, whatever its name; false when the user cancelled.
  bool DeletePrinters();
  // false when the user cancelled. A driver the spooler doesn't list for `environment` counts as deleted.
  bool DeleteDriver();
  bool DriverListed();
  void DeletePort();
  // psapi.dll and framedyn.dll from the extraction folder, each only where the system lacks it.
  int InstallSupportFiles();

  PrinterStage stage() const { return stage_; }
  int isWow64() const { return isWow64_; }
  int isAdmin() const { return isAdmin_; }
  const std::wstring& environment() const { return environment_; }
  const std::wstring& driverDirectory() const { return driverDirectory_; }
  const std::wstring& sourceFolder() const { return sourceFolder_; }
  const std::wstring& installFolder() const { return installFolder_; }

 private:
  bool QueryDriverDirectory();
  void MoveAsideOldFiles();
  HANDLE OpenPortMonitor();  // null when it can't be opened
  int AddPort();
  int AddDriver();
  int AddPrinter();
  int CopyProxyProcess();
  void DeleteDriverCopies();
  void DetectPlatform();
  // OK: true; anything else: false.
  bool AskRetry(unsigned textId) const;
  std::wstring SourcePath(const wchar_t* name32, const wchar_t* name64) const;
  std::wstring DriverPath(const wchar_t* name) const;         // in the driver directory
  std::wstring VersionFolderPath(const wchar_t* name) const;  // in its version-3 subfolder

  SpoolerCalls spooler_;
  WordAddinSteps addin_ = DefaultWordAddinSteps();
  Prompter* prompt_ = nullptr;

  std::wstring sourceFolder_;
  std::wstring installFolder_;
  std::wstring driverDirectory_;
  int isWow64_ = 0;
  int isAdmin_ = 0;
  std::wstring environment_ = kEnvironment32;
  PrinterStage stage_ = kPrinterNothing;
  ProgressRange progress_;
};

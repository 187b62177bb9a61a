#pragma once
// The one application object: it owns the pages, the options and the texts, and runs the wizard.
#include <windows.h>

#include <string>

#include "app/page_flow.h"
#include "app/setup_options.h"
#include "i18n/string_catalogue.h"
#include "ui/pages/pages.h"

inline constexpr wchar_t kProductCode[] = L"{6A0F2B71-3C58-4E19-9D2A-5B7E40C1F8A3}";

class SetupSession : public FlowActions {
 public:
  SetupSession();
  ~SetupSession() override;

  // Everything happens inside this call. Always false: there is no message loop to run afterwards.
  bool InitInstance();

  // Start-up steps, public so that tests can run them one by one.
  void Reset();
  int PreflightCheck();  // 1 go on, 0 end (after its message)
  int Detect();          // earlier installation; always 0
  void RunPageLoop(bool msiProductInstalled);
  static bool QueryMsiProductInstalled();
  static int DetectWow64();

  // The localized text with this ID (empty when there is none).
  std::wstring Text(unsigned id) const;
  StringCatalogue& catalogue() { return catalogue_; }

  // Runs the install sequence behind the progress page; ends the page with 1032.
  void RunInstallSequence(ProgressPage& page);

  // Removal and finish steps between pages.
  void RemoveInstallerPackage() override;
  PipeRemovalResult RemoveViaPipe() override;
  bool RemoveBuiltIn() override;
  void RunFinishActions() override;
  void DeleteExtractionFolder() override;

  SetupOptions options;

  LanguagePage languagePage;
  WelcomePage welcomePage;
  ExistingVersionPage existingVersionPage;
  LicenseAgreementPage licenseAgreementPage;
  InstallTypePage installTypePage;
  ComponentsPage componentsPage;
  DestinationPage destinationPage;
  DesktopSettingsPage desktopSettingsPage;
  SummaryPage summaryPage;
  ProgressPage progressPage;
  FinishPage finishPage;
  InterruptedPage interruptedPage;

 private:
  StringCatalogue catalogue_;
  Dialog* PageOf(PageState state);
  int LoadInstallerLanguage();
};

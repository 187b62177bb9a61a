#pragma once
// The one application object: it owns the pages, the options and the texts, and runs the wizard.
#include <windows.h>

#include <string>

#include "core/page_flow.h"
#include "core/setup_options.h"
#include "framework/base/handles.h"
#include "i18n/string_catalogue.h"
#include "ui/pages/pages.h"

class SetupSession : public FlowActions, public PageHost {
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

  // What the pages see.
  SetupOptions& Options() override { return options; }
  std::wstring Text(unsigned id) const override;
  StringCatalogue& catalogue() override { return catalogue_; }
  std::vector<std::wstring> ComponentNames() const override;
  void RunInstallSequence(ProgressPage& page) override;

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
  // The extraction folder held open from its creation until its deletion, so nobody can swap it.
  UniqueHandle extractionHold_;
  Dialog* PageOf(PageState state);
  template <typename Step>
  auto WithRemover(Step step);
  int LoadInstallerLanguage();
};

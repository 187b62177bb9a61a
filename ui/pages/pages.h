#pragma once
// Wizard pages: each one a modal dialog from its template that ends with a PageResult code.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/dialog.h"

class SetupSession;

// The common frame: caption, icon, fixed client size, button row, cancel question, keyboard rules.
class WizardPage : public Dialog {
 public:
  WizardPage(int templateId, SetupSession& session) : Dialog(templateId), session_(session) {}

  // Ends the page with a code (used by the install sequence on the progress page).
  void EndWith(int code) { End(code); }

 protected:
  enum class CloseBox { ConfirmCancel, Finish, Nothing };
  static constexpr int kAskCancel = -1;

  struct ButtonRule {
    int id;
    int textId;
    int action;  // a PageResult, or kAskCancel
  };
  struct TextRule {
    int id;
    int textId;
  };
  struct FlagBox {
    int id;
    int textId;
    int* flag;
  };

  bool OnInitDialog() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;
  void OnCancel() override;
  bool DiscardsEscape() const override { return closeBox_ != CloseBox::Nothing; }

  // Asks text 91; on Yes ends the page with Cancel.
  void ConfirmCancel();
  // Per-page behaviour on a button before the page ends with its code; false keeps the page open.
  virtual bool BeforeEnd(int /*buttonId*/, int /*code*/) { return true; }
  virtual void InitPage() {}

  SetupSession& session_;
  std::vector<ButtonRule> buttons_;
  std::vector<TextRule> texts_;
  std::vector<FlagBox> flags_;
  CloseBox closeBox_ = CloseBox::ConfirmCancel;
};

class WelcomePage : public WizardPage {
 public:
  explicit WelcomePage(SetupSession& session);
};

class ExistingVersionPage : public WizardPage {
 public:
  explicit ExistingVersionPage(SetupSession& session);

 protected:
  void InitPage() override;
};

class LicenseAgreementPage : public WizardPage {
 public:
  explicit LicenseAgreementPage(SetupSession& session);

 protected:
  void InitPage() override;

 private:
  std::wstring licence_;
};

class InstallTypePage : public WizardPage {
 public:
  explicit InstallTypePage(SetupSession& session);

 protected:
  bool BeforeEnd(int buttonId, int code) override;
};

class ComponentsPage : public WizardPage {
 public:
  explicit ComponentsPage(SetupSession& session);
};

class DestinationPage : public WizardPage {
 public:
  explicit DestinationPage(SetupSession& session);

 protected:
  void InitPage() override;
  bool BeforeEnd(int buttonId, int code) override;
};

class DesktopSettingsPage : public WizardPage {
 public:
  explicit DesktopSettingsPage(SetupSession& session);
};

class SummaryPage : public WizardPage {
 public:
  explicit SummaryPage(SetupSession& session);
};

class ProgressPage : public WizardPage {
 public:
  explicit ProgressPage(SetupSession& session);
  void SetPosition(int position);
  void SetStatus(const std::wstring& text);

 protected:
  void InitPage() override;
  void OnTimer(UINT_PTR id) override;
};

class FinishPage : public WizardPage {
 public:
  explicit FinishPage(SetupSession& session);
};

class InterruptedPage : public WizardPage {
 public:
  explicit InterruptedPage(SetupSession& session);
};

// Dialog 103: the installer language, offered when LangConfig.xml asks for a list. It cannot be cancelled.
class LanguagePage : public Dialog {
 public:
  explicit LanguagePage(SetupSession& session) : Dialog(103), session_(session) {}

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;
  void OnCancel() override {}
  bool DiscardsEscape() const override { return true; }

 private:
  void FillTexts(size_t selected);

  SetupSession& session_;
  int chosenSkin_ = 0;
};

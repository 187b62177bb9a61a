#pragma once
// Wizard pages: each one a modal dialog from its template that ends with a PageResult code. The frame
// (caption, icon, skin pictures, separator, footer link, button row, cancel question, keyboard rules) is
// WizardPage's; each page adds its own controls.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/ui/dialog.h"
#include "resources/ids.h"
#include "ui/controls/colour_edit.h"
#include "ui/controls/hyperlink_label.h"
#include "ui/controls/skin_button.h"
#include "ui/controls/skin_image.h"
#include "ui/pages/page_host.h"

class PageHost;

class WizardPage : public Dialog {
 public:
  WizardPage(int templateId, PageHost& host) : Dialog(templateId), host_(host) {}

  // Ends the page with a code (used by the install sequence on the progress page).
  void EndWith(int code) { End(code); }

  struct Rect {
    int x, y, width, height;
  };

 protected:
  enum class Picture { Side, Banner };
  enum class Title { None, Welcome, Finish, Interrupted };
  enum class CloseBox { ConfirmCancel, Finish, Nothing };
  static constexpr int kAskCancel = -1;  // the button asks the cancel question
  static constexpr int kOwnAction = -2;  // the page handles the button in OnOwnButton

  struct Frame {
    Picture picture;
    int pictureId;
    Title title;
    int titleId;  // 0 when there is no title picture
    int separatorId;
    int footerId;
  };
  struct ButtonRule {
    int id;
    int textId;
    int action;  // a PageResult, kAskCancel or kOwnAction
  };
  bool OnInitDialog() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;
  void OnCancel() override;
  bool DiscardsEscape() const override { return closeBox_ != CloseBox::Nothing; }
  // True when the page's first tab stop is a read-only text, now focused with its caret at the start.
  bool FocusTextFromItsStart();
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;

  // Step 5 of the frame: the page's own statics and controls.
  virtual void InitPage() {}
  // Where the buttons of the row go; by default the places of a two- or three-button row.
  virtual std::vector<Rect> ButtonPlaces() const;
  // Before the page ends with a code; false keeps the page open.
  virtual bool BeforeEnd(int /*buttonId*/, int /*code*/) { return true; }
  virtual void OnOwnButton(int /*buttonId*/) {}
  // Asks kTextConfirmCancel; on Yes resets `buttonId` and ends the page with Cancel.
  void ConfirmCancel(int buttonId);

  void SetText(int id, unsigned textId);
  void SetTextAt(int id, unsigned textId, Rect place);
  void PlaceItem(int id, Rect place) { Place(id, place.x, place.y, place.width, place.height); }
  SkinButton* Button(int id);
  int skin() const;

  PageHost& host_;
  Frame frame_{};
  std::vector<ButtonRule> buttons_;
  CloseBox closeBox_ = CloseBox::ConfirmCancel;

 private:
  void AttachFrame();

  std::vector<std::unique_ptr<SkinButton>> skinButtons_;
  SkinImage picture_;
  SkinImage titlePicture_;
  HyperlinkLabel footer_;
};

class WelcomePage : public WizardPage {
 public:
  explicit WelcomePage(PageHost& host);

 protected:
  void InitPage() override;
  std::vector<Rect> ButtonPlaces() const override;

 private:
  HyperlinkLabel moreLink_;
};

class ExistingVersionPage : public WizardPage {
 public:
  explicit ExistingVersionPage(PageHost& host);

 protected:
  void InitPage() override;
  std::vector<Rect> ButtonPlaces() const override;
};

class LicenseAgreementPage : public WizardPage {
 public:
  explicit LicenseAgreementPage(PageHost& host);

 protected:
  void InitPage() override;
  std::vector<Rect> ButtonPlaces() const override;

 private:
  void LoadLicence();
  ColourEdit licenceEdit_;
  std::wstring licence_;
};

class InstallTypePage : public WizardPage {
 public:
  explicit InstallTypePage(PageHost& host);

 protected:
  void InitPage() override;
  std::vector<Rect> ButtonPlaces() const override;
  bool BeforeEnd(int buttonId, int code) override;

 private:
  int squareSide_ = 66;
};

class ComponentsPage : public WizardPage {
 public:
  explicit ComponentsPage(PageHost& host);

 protected:
  void InitPage() override;
  void OnTimer(UINT_PTR id) override;
};

class DestinationPage : public WizardPage {
 public:
  explicit DestinationPage(PageHost& host);

 protected:
  void InitPage() override;
  std::vector<Rect> ButtonPlaces() const override;
  bool BeforeEnd(int buttonId, int code) override;
  void OnOwnButton(int buttonId) override;
  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;
  void OnDpiChanged() override;

 private:
  void FillDrives();
  void Browse();
  void ChooseDrive();
  bool Validate();
};

class DesktopSettingsPage : public WizardPage {
 public:
  explicit DesktopSettingsPage(PageHost& host);

 protected:
  void InitPage() override;
  std::vector<Rect> ButtonPlaces() const override;
  void OnOwnButton(int buttonId) override;
};

class SummaryPage : public WizardPage {
 public:
  explicit SummaryPage(PageHost& host);

 protected:
  void InitPage() override;
  std::vector<Rect> ButtonPlaces() const override;

 private:
  ColourEdit summaryEdit_;
};

class ProgressPage : public WizardPage {
 public:
  explicit ProgressPage(PageHost& host);
  void SetPosition(int position);
  void SetStatus(const std::wstring& text);

 protected:
  void InitPage() override;
  std::vector<Rect> ButtonPlaces() const override;
  void OnTimer(UINT_PTR id) override;

 private:
  ColourEdit hiddenEdit_;
};

class FinishPage : public WizardPage {
 public:
  explicit FinishPage(PageHost& host);

 protected:
  void InitPage() override;
  void OnOwnButton(int buttonId) override;
};

class InterruptedPage : public WizardPage {
 public:
  explicit InterruptedPage(PageHost& host);

 protected:
  void InitPage() override;
};

// Dialog 103: the installer language, offered when LangConfig.xml asks for a list. It cannot be cancelled.
class LanguagePage : public Dialog {
 public:
  explicit LanguagePage(PageHost& host) : Dialog(IDD_LANGUAGE), host_(host) {}

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int notifyCode, HWND control) override;
  void OnCancel() override {}
  bool DiscardsEscape() const override { return true; }

 private:
  void FillTexts(size_t selected);

  PageHost& host_;
  SkinButton ok_;
  SkinButton cancel_;
  int chosenSkin_ = 0;
};

// The page icon, large and small.
void SetPageIcon(HWND hwnd);

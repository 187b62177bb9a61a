// Desktop settings, summary, progress, finish and interrupted pages, and the language dialog.
#include <windows.h>
#include <commctrl.h>

#include "core/page_result.h"
#include "core/text_ids.h"
#include "framework/base/path_text.h"
#include "resources/ids.h"
#include "ui/pages/page_host.h"
#include "ui/pages/pages.h"
#include "ui/pages/summary_text.h"

namespace {

constexpr UINT_PTR kInstallTimer = 135;

struct FlagBox {
  int id;
  unsigned textId;
  int SetupOptions::*flag;
};

const FlagBox kDesktopBoxes[] = {
    {IDC_DESKTOP_SHORTCUT, kTextAddDesktopShortcut, &SetupOptions::desktopShortcut},
    {IDC_DESKTOP_START_MENU, kTextAddStartMenuIcon, &SetupOptions::startMenuIcon},
    {IDC_DESKTOP_QUICK_LAUNCH, kTextAddQuickLaunchIcon, &SetupOptions::quickLaunchIcon},
    {IDC_DESKTOP_ALL_USERS, kTextInstallForAllUsers, &SetupOptions::allUsers},
};

const FlagBox kFinishBoxes[] = {
    {IDC_FINISH_RUN, kTextRunProgram, &SetupOptions::runProgram},
    {IDC_FINISH_DEFAULT_PDF, kTextSetDefaultPdfReader, &SetupOptions::setDefaultPdfHandler},
    {IDC_FINISH_DEFAULT_PRINTER, kTextSetDefaultPrinter, &SetupOptions::setDefaultPrinter},
    {IDC_FINISH_README, kTextViewReadme, &SetupOptions::viewReadme},
};

void ShowFlag(HWND dialog, int id, int value) {
  ::CheckDlgButton(dialog, id, value == 1 ? BST_CHECKED : BST_UNCHECKED);
}

// A check box flips its flag, then shows the flag.
template <size_t N>
void ToggleFlag(HWND dialog, SetupOptions& options, const FlagBox (&boxes)[N], int id) {
  for (const FlagBox& box : boxes) {
    if (box.id != id) continue;
    int& flag = options.*box.flag;
    flag = flag ? 0 : 1;
    ShowFlag(dialog, id, flag);
  }
}

std::vector<WizardPage::Rect> JapaneseRow() { return {{173, 358, 112, 24}, {293, 358, 112, 24}, {412, 358, 112, 24}}; }

// The program's own format for the summary's folder line, whatever language is loaded.
std::wstring OwnFolderLine() {
  const wchar_t* text = nullptr;
  const int length =
      ::LoadStringW(::GetModuleHandleW(nullptr), kTextSummaryFolderLine, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring(L"   %s\r\n\r\n");
}

}  // namespace

DesktopSettingsPage::DesktopSettingsPage(PageHost& host) : WizardPage(IDD_DESKTOP, host) {
  frame_ = {Picture::Banner, IDC_DESKTOP_BANNER, Title::None, 0, IDC_DESKTOP_SEPARATOR, IDC_DESKTOP_FOOTER};
  buttons_ = {{IDC_DESKTOP_BACK, kTextBack, kResultBack},
              {IDC_DESKTOP_NEXT, kTextNext, kResultNext},
              {IDC_DESKTOP_CANCEL, kTextCancel, kAskCancel}};
}

void DesktopSettingsPage::InitPage() {
  SetTextAt(IDC_DESKTOP_GROUP, kTextDesktopSettings, {16, 100, 497, 148});
  const Rect places[] = {{48, 130, 350, 16}, {48, 170, 350, 16}, {48, 210, 350, 16}, {18, 287, 300, 16}};
  for (size_t i = 0; i < 4; ++i) {
    SetTextAt(kDesktopBoxes[i].id, kDesktopBoxes[i].textId, places[i]);
    ShowFlag(hwnd(), kDesktopBoxes[i].id, host_.Options().*kDesktopBoxes[i].flag);
  }
}

std::vector<WizardPage::Rect> DesktopSettingsPage::ButtonPlaces() const {
  return {{233, 358, 90, 24}, {329, 358, 90, 24}, {425, 358, 92, 24}};
}

void DesktopSettingsPage::OnOwnButton(int buttonId) { ToggleFlag(hwnd(), host_.Options(), kDesktopBoxes, buttonId); }

SummaryPage::SummaryPage(PageHost& host) : WizardPage(IDD_SUMMARY, host) {
  frame_ = {Picture::Banner, IDC_SUMMARY_BANNER, Title::None, 0, IDC_SUMMARY_SEPARATOR, IDC_SUMMARY_FOOTER};
  buttons_ = {{IDC_SUMMARY_BACK, kTextBack, kResultBack},
              {IDC_SUMMARY_INSTALL, kTextInstall, kResultInstall},
              {IDC_SUMMARY_CANCEL, kTextCancel, kAskCancel}};
}

void SummaryPage::InitPage() {
  const bool japanese = skin() == kJapanese;
  SetTextAt(IDC_SUMMARY_INTRO, kTextReviewSettings, japanese ? Rect{16, 80, 497, 58} : Rect{16, 80, 497, 38});
  summaryEdit_.Attach(hwnd(), IDC_SUMMARY_TEXT);
  const SetupOptions& o = host_.Options();
  const SummaryChoices choices{o.installFolder, o.desktopShortcut, o.startMenuIcon, o.quickLaunchIcon};
  SetItemText(IDC_SUMMARY_TEXT, BuildSummaryText(
                                    choices, [this](unsigned id) { return host_.Text(id); }, OwnFolderLine()));
  PlaceItem(IDC_SUMMARY_TEXT, japanese ? Rect{16, 146, 498, 188} : Rect{16, 126, 498, 188});
}

std::vector<WizardPage::Rect> SummaryPage::ButtonPlaces() const {
  return skin() == kJapanese ? JapaneseRow() : WizardPage::ButtonPlaces();
}

ProgressPage::ProgressPage(PageHost& host) : WizardPage(IDD_PROGRESS, host) {
  frame_ = {Picture::Banner, IDC_PROGRESS_BANNER, Title::None, 0, IDC_PROGRESS_SEPARATOR, IDC_PROGRESS_FOOTER};
  buttons_ = {{IDC_PROGRESS_BACK, kTextBack, kResultBack},
              {IDC_PROGRESS_NEXT, kTextNext, kResultNext},
              {IDC_PROGRESS_CANCEL, kTextCancel, kAskCancel}};
  closeBox_ = CloseBox::Nothing;
}

void ProgressPage::InitPage() {
  SetTextAt(IDC_PROGRESS_STATUS, kTextCopyingFiles, {16, 182, 498, 22});
  PlaceItem(IDC_PROGRESS_BAR, {16, 206, 498, 16});
  ::SendDlgItemMessageW(hwnd(), IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, 100);
  ::SendDlgItemMessageW(hwnd(), IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
  hiddenEdit_.Attach(hwnd(), IDC_PROGRESS_HIDDEN_TEXT);
  PlaceItem(IDC_PROGRESS_HIDDEN_TEXT, {16, 170, 498, 144});
  for (int id : {IDC_PROGRESS_BACK, IDC_PROGRESS_NEXT, IDC_PROGRESS_CANCEL}) ::EnableWindow(Item(id), FALSE);
  // The page is drawn before any work starts: the sequence runs on the first tick.
  ::SetTimer(hwnd(), kInstallTimer, 500, nullptr);
}

std::vector<WizardPage::Rect> ProgressPage::ButtonPlaces() const {
  return skin() == kJapanese ? JapaneseRow() : WizardPage::ButtonPlaces();
}

void ProgressPage::OnTimer(UINT_PTR id) {
  if (id != kInstallTimer) return;
  ::KillTimer(hwnd(), kInstallTimer);
  host_.RunInstallSequence(*this);
}

void ProgressPage::SetPosition(int position) {
  ::SendDlgItemMessageW(hwnd(), IDC_PROGRESS_BAR, PBM_SETPOS, position, 0);
}

void ProgressPage::SetStatus(const std::wstring& text) {
  SetItemText(IDC_PROGRESS_STATUS, text);
  ::UpdateWindow(Item(IDC_PROGRESS_STATUS));
}

FinishPage::FinishPage(PageHost& host) : WizardPage(IDD_FINISH, host) {
  frame_ = {Picture::Side,    IDC_FINISH_PICTURE,   Title::Finish,
            IDC_FINISH_TITLE, IDC_FINISH_SEPARATOR, IDC_FINISH_FOOTER};
  buttons_ = {{IDC_FINISH_FINISH, kTextFinish, kResultFinish}};
  closeBox_ = CloseBox::Finish;
}

void FinishPage::InitPage() {
  SetTextAt(IDC_FINISH_TEXT, kTextInstallSucceeded, {211, 60, 302, 60});
  const Rect places[] = {{215, 145, 280, 20}, {215, 185, 330, 20}, {215, 225, 330, 20}, {215, 265, 280, 20}};
  for (size_t i = 0; i < 4; ++i) {
    SetTextAt(kFinishBoxes[i].id, kFinishBoxes[i].textId, places[i]);
    // The readme box keeps the template's unchecked state, which is the flag's start value.
    if (kFinishBoxes[i].id != IDC_FINISH_README)
      ShowFlag(hwnd(), kFinishBoxes[i].id, host_.Options().*kFinishBoxes[i].flag);
  }
}

void FinishPage::OnOwnButton(int buttonId) { ToggleFlag(hwnd(), host_.Options(), kFinishBoxes, buttonId); }

InterruptedPage::InterruptedPage(PageHost& host) : WizardPage(IDD_INTERRUPTED, host) {
  frame_ = {Picture::Side,         IDC_INTERRUPTED_PICTURE,   Title::Interrupted,
            IDC_INTERRUPTED_TITLE, IDC_INTERRUPTED_SEPARATOR, IDC_INTERRUPTED_FOOTER};
  buttons_ = {{IDC_INTERRUPTED_FINISH, kTextFinish, kResultFinish}};
  closeBox_ = CloseBox::Finish;
}

void InterruptedPage::InitPage() {
  SetTextAt(IDC_INTERRUPTED_TEXT1, kTextInterrupted, {211, 74, 302, 55});
  // A stop after files of an earlier installation were replaced leaves the system changed.
  SetTextAt(IDC_INTERRUPTED_TEXT2, host_.Options().incompleteInstall ? kTextInstallIncomplete : kTextNotModified,
            {211, 164, 302, 55});
  SetTextAt(IDC_INTERRUPTED_TEXT3, kTextClickFinish, {211, 270, 302, 40});
}

bool LanguagePage::OnInitDialog() {
  ok_.Attach(hwnd(), IDC_LANGUAGE_OK);
  cancel_.Attach(hwnd(), IDC_LANGUAGE_CANCEL);
  SetPageIcon(hwnd());
  chosenSkin_ = host_.Options().SkinIndex;
  FillTexts(host_.catalogue().initialOfferedPosition());
  return true;
}

// Title, labels and the list in the language now loaded; the list keeps its order and selection.
void LanguagePage::FillTexts(size_t selected) {
  ::SetWindowTextW(hwnd(), host_.Text(kTextCaption).c_str());
  SetItemText(IDC_LANGUAGE_PROMPT, host_.Text(kTextSelectLanguage));
  SetItemText(IDC_LANGUAGE_OK, host_.Text(kTextOk));
  HWND combo = Item(IDC_LANGUAGE_LIST);
  ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::u16string& name : host_.catalogue().OfferedLanguageTexts()) {
    const std::wstring item = Wide(name);
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  ::SendMessageW(combo, CB_SETCURSEL, selected, 0);
}

bool LanguagePage::OnCommand(int id, int notifyCode, HWND) {
  if (id == IDC_LANGUAGE_LIST && notifyCode == CBN_SELCHANGE) {
    const LRESULT position = ::SendDlgItemMessageW(hwnd(), IDC_LANGUAGE_LIST, CB_GETCURSEL, 0, 0);
    if (position == CB_ERR) return true;
    const int skin = host_.catalogue().SelectOfferedLanguage(static_cast<size_t>(position));
    if (skin >= 0) chosenSkin_ = skin;
    FillTexts(static_cast<size_t>(position));
    return true;
  }
  if (id == IDC_LANGUAGE_OK && notifyCode == BN_CLICKED) {
    host_.Options().SkinIndex = chosenSkin_;
    End(kResultOk);
    return true;
  }
  return false;
}

// Desktop settings, summary, progress, finish and interrupted pages, and the language dialog.
#include <windows.h>
#include <commctrl.h>

#include "core/page_result.h"
#include "ui/pages/page_host.h"
#include "ui/pages/pages.h"
#include "ui/pages/summary_text.h"

namespace {

constexpr int kJapanese = 4;
constexpr UINT_PTR kInstallTimer = 135;

struct FlagBox {
  int id;
  unsigned textId;
  int SetupOptions::*flag;
};

const FlagBox kDesktopBoxes[] = {
    {1503, 46, &SetupOptions::desktopShortcut},
    {1504, 47, &SetupOptions::startMenuIcon},
    {1505, 48, &SetupOptions::quickLaunchIcon},
    {1506, 49, &SetupOptions::allUsers},
};

const FlagBox kFinishBoxes[] = {
    {1703, 74, &SetupOptions::runProgram},
    {1709, 117, &SetupOptions::setDefaultPdfHandler},
    {1708, 92, &SetupOptions::setDefaultPrinter},
    {1704, 75, &SetupOptions::viewReadme},
};

void ShowFlag(HWND dialog, int id, int value) { ::CheckDlgButton(dialog, id, value == 1 ? BST_CHECKED : BST_UNCHECKED); }

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
  const int length = ::LoadStringW(::GetModuleHandleW(nullptr), 52, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring(L"   %s\r\n\r\n");
}

}  // namespace

DesktopSettingsPage::DesktopSettingsPage(PageHost& host) : WizardPage(109, host) {
  frame_ = {Picture::Banner, 1500, Title::None, 0, 1507, 1508};
  buttons_ = {{1509, 6, kResultBack}, {1510, 7, kResultNext}, {1502, 8, kAskCancel}};
}

void DesktopSettingsPage::InitPage() {
  SetTextAt(1501, 45, {16, 100, 497, 148});
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

SummaryPage::SummaryPage(PageHost& host) : WizardPage(110, host) {
  frame_ = {Picture::Banner, 1600, Title::None, 0, 1603, 1604};
  buttons_ = {{1605, 6, kResultBack}, {1606, 14, kResultInstall}, {1607, 8, kAskCancel}};
}

void SummaryPage::InitPage() {
  const bool japanese = skin() == kJapanese;
  SetTextAt(1601, 50, japanese ? Rect{16, 80, 497, 58} : Rect{16, 80, 497, 38});
  summaryEdit_.Attach(hwnd(), 1602);
  const SetupOptions& o = host_.Options();
  const SummaryChoices choices{o.installFolder, o.desktopShortcut, o.startMenuIcon, o.quickLaunchIcon};
  SetItemText(1602, BuildSummaryText(choices, [this](unsigned id) { return host_.Text(id); }, OwnFolderLine()));
  PlaceItem(1602, japanese ? Rect{16, 146, 498, 188} : Rect{16, 126, 498, 188});
}

std::vector<WizardPage::Rect> SummaryPage::ButtonPlaces() const {
  return skin() == kJapanese ? JapaneseRow() : WizardPage::ButtonPlaces();
}

ProgressPage::ProgressPage(PageHost& host) : WizardPage(113, host) {
  frame_ = {Picture::Banner, 1900, Title::None, 0, 1903, 1904};
  buttons_ = {{1905, 6, kResultBack}, {1906, 7, kResultNext}, {1907, 8, kAskCancel}};
  closeBox_ = CloseBox::Nothing;
}

void ProgressPage::InitPage() {
  SetTextAt(1901, 57, {16, 182, 498, 22});
  PlaceItem(1908, {16, 206, 498, 16});
  ::SendDlgItemMessageW(hwnd(), 1908, PBM_SETRANGE32, 0, 100);
  ::SendDlgItemMessageW(hwnd(), 1908, PBM_SETPOS, 0, 0);
  hiddenEdit_.Attach(hwnd(), 1902);
  PlaceItem(1902, {16, 170, 498, 144});
  for (int id : {1905, 1906, 1907}) ::EnableWindow(Item(id), FALSE);
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

void ProgressPage::SetPosition(int position) { ::SendDlgItemMessageW(hwnd(), 1908, PBM_SETPOS, position, 0); }

void ProgressPage::SetStatus(const std::wstring& text) {
  SetItemText(1901, text);
  ::UpdateWindow(Item(1901));
}

FinishPage::FinishPage(PageHost& host) : WizardPage(111, host) {
  frame_ = {Picture::Side, 1700, Title::Finish, 1701, 1705, 1706};
  buttons_ = {{1707, 16, kResultFinish}};
  closeBox_ = CloseBox::Finish;
}

void FinishPage::InitPage() {
  SetTextAt(1702, 73, {211, 60, 302, 60});
  const Rect places[] = {{215, 145, 280, 20}, {215, 185, 330, 20}, {215, 225, 330, 20}, {215, 265, 280, 20}};
  for (size_t i = 0; i < 4; ++i) {
    SetTextAt(kFinishBoxes[i].id, kFinishBoxes[i].textId, places[i]);
    // The readme box keeps the template's unchecked state, which is the flag's start value.
    if (kFinishBoxes[i].id != 1704) ShowFlag(hwnd(), kFinishBoxes[i].id, host_.Options().*kFinishBoxes[i].flag);
  }
}

void FinishPage::OnOwnButton(int buttonId) { ToggleFlag(hwnd(), host_.Options(), kFinishBoxes, buttonId); }

InterruptedPage::InterruptedPage(PageHost& host) : WizardPage(112, host) {
  frame_ = {Picture::Side, 1800, Title::Interrupted, 1801, 1805, 1806};
  buttons_ = {{1807, 16, kResultFinish}};
  closeBox_ = CloseBox::Finish;
}

void InterruptedPage::InitPage() {
  SetTextAt(1802, 70, {211, 74, 302, 55});
  SetTextAt(1803, 71, {211, 164, 302, 55});
  SetTextAt(1804, 72, {211, 270, 302, 40});
}

bool LanguagePage::OnInitDialog() {
  ok_.Attach(hwnd(), 1003);
  cancel_.Attach(hwnd(), 1004);
  SetPageIcon(hwnd());
  chosenSkin_ = host_.Options().SkinIndex;
  FillTexts(host_.catalogue().initialOfferedPosition());
  return true;
}

// Title, labels and the list in the language now loaded; the list keeps its order and selection.
void LanguagePage::FillTexts(size_t selected) {
  ::SetWindowTextW(hwnd(), host_.Text(1).c_str());
  SetItemText(1001, host_.Text(17));
  SetItemText(1003, host_.Text(5));
  HWND combo = Item(1002);
  ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::u16string& name : host_.catalogue().OfferedLanguageTexts()) {
    const std::wstring item(name.begin(), name.end());
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  ::SendMessageW(combo, CB_SETCURSEL, selected, 0);
}

bool LanguagePage::OnCommand(int id, int notifyCode, HWND) {
  if (id == 1002 && notifyCode == CBN_SELCHANGE) {
    const LRESULT position = ::SendDlgItemMessageW(hwnd(), 1002, CB_GETCURSEL, 0, 0);
    if (position == CB_ERR) return true;
    const int skin = host_.catalogue().SelectOfferedLanguage(static_cast<size_t>(position));
    if (skin >= 0) chosenSkin_ = skin;
    FillTexts(static_cast<size_t>(position));
    return true;
  }
  if (id == 1003 && notifyCode == BN_CLICKED) {
    host_.Options().SkinIndex = chosenSkin_;
    End(kResultOk);
    return true;
  }
  return false;
}

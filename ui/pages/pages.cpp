#include "ui/pages/pages.h"

#include <commctrl.h>

#include "app/page_result.h"
#include "app/setup_session.h"

namespace {

constexpr int kClientWidth = 529;
constexpr int kClientHeight = 392;
constexpr int kIconId = 128;

void SetPageIcon(HWND hwnd) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  // Shared icons belong to the system cache; nothing to release.
  HANDLE big = ::LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                            ::GetSystemMetrics(SM_CYICON), LR_SHARED);
  HANDLE small = ::LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                              ::GetSystemMetrics(SM_CYSMICON), LR_SHARED);
  ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

// Pages are laid out in pixels, so the client area must be exactly the page size whatever the font.
void SetClientSize(HWND hwnd, int width, int height) {
  RECT rect{0, 0, width, height};
  ::AdjustWindowRectEx(&rect, static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - w) / 2;
  const int y = (::GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  ::SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

bool WizardPage::OnInitDialog() {
  SetPageIcon(hwnd());
  ::SetWindowTextW(hwnd(), session_.Text(1).c_str());
  SetClientSize(hwnd(), kClientWidth, kClientHeight);
  for (const TextRule& rule : texts_) SetItemText(rule.id, session_.Text(rule.textId));
  for (const FlagBox& box : flags_) {
    SetItemText(box.id, session_.Text(box.textId));
    ::CheckDlgButton(hwnd(), box.id, *box.flag == 1 ? BST_CHECKED : BST_UNCHECKED);
  }
  for (const ButtonRule& rule : buttons_) SetItemText(rule.id, session_.Text(rule.textId));
  InitPage();
  return true;
}

bool WizardPage::OnCommand(int id, int notifyCode, HWND) {
  if (notifyCode != BN_CLICKED) return false;
  for (const FlagBox& box : flags_) {
    if (box.id == id) {
      *box.flag = *box.flag ? 0 : 1;
      ::CheckDlgButton(hwnd(), id, *box.flag == 1 ? BST_CHECKED : BST_UNCHECKED);
      return true;
    }
  }
  for (const ButtonRule& rule : buttons_) {
    if (rule.id != id) continue;
    if (rule.action == kAskCancel) {
      ConfirmCancel();
    } else if (BeforeEnd(id, rule.action)) {
      End(rule.action);
    }
    return true;
  }
  return false;
}

void WizardPage::OnCancel() {
  switch (closeBox_) {
    case CloseBox::ConfirmCancel: ConfirmCancel(); break;
    case CloseBox::Finish: End(kResultFinish); break;
    case CloseBox::Nothing: break;
  }
}

void WizardPage::ConfirmCancel() {
  if (ShowMessage(hwnd(), session_.Text(91), session_.Text(1), MB_YESNO | MB_ICONEXCLAMATION) == IDYES) {
    End(kResultCancel);
  }
}

WelcomePage::WelcomePage(SetupSession& session) : WizardPage(104, session) {
  texts_ = {{1102, 18}, {1103, 19}, {1104, 20}, {1105, 21}, {1106, 22}, {1107, 23},
            {1108, 24}, {1109, 25}, {1110, 26}, {1111, 27}, {1113, 2}};
  buttons_ = {{1114, 7, kResultNext}, {1115, 8, kAskCancel}};
}

ExistingVersionPage::ExistingVersionPage(SetupSession& session) : WizardPage(114, session) {
  texts_ = {{1091, 2}};
  buttons_ = {{1094, 6, kResultBack}, {1092, 7, kResultNext}, {1093, 8, kAskCancel}};
}

void ExistingVersionPage::InitPage() {
  int textId = 0;
  switch (session_.options.existingState) {
    case 1: textId = 28; break;
    case 2: textId = 30; break;
    case 3: textId = 29; break;
  }
  SetItemText(1089, textId ? session_.Text(textId) : std::wstring());
}

LicenseAgreementPage::LicenseAgreementPage(SetupSession& session) : WizardPage(105, session) {
  texts_ = {{1201, 31}, {1204, 2}};
  buttons_ = {{1205, 6, kResultBack}, {1206, 9, kResultNext}, {1207, 10, kAskCancel}};
}

// The agreement is English; other languages show their text 97 instead.
void LicenseAgreementPage::InitPage() {
  licence_.clear();
  HMODULE module = ::GetModuleHandleW(nullptr);
  if (HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(183), L"LICENSE")) {
    HGLOBAL loaded = ::LoadResource(module, found);
    const auto* text = static_cast<const wchar_t*>(loaded ? ::LockResource(loaded) : nullptr);
    const size_t chars = ::SizeofResource(module, found) / sizeof(wchar_t);
    if (text) licence_.assign(text, wcsnlen(text, chars));
  }
  SetItemText(1202, session_.options.SkinIndex == 0 ? licence_ : session_.Text(97));
}

InstallTypePage::InstallTypePage(SetupSession& session) : WizardPage(106, session) {
  texts_ = {{1302, 32}, {1305, 33}, {1306, 34}, {1308, 2}};
  buttons_ = {{1303, 11, kResultDefault}, {1304, 12, kResultCustom}, {1309, 6, kResultBack}, {1310, 8, kAskCancel}};
}

bool InstallTypePage::BeforeEnd(int, int code) {
  if (code == kResultDefault || code == kResultCustom) {
    SetupOptions& o = session_.options;
    o.installFolder = o.defaultInstallFolder;
    o.desktopShortcut = o.startMenuIcon = o.quickLaunchIcon = o.allUsers = 1;
  }
  return true;
}

ComponentsPage::ComponentsPage(SetupSession& session) : WizardPage(107, session) {
  texts_ = {{1035, 35}, {1036, 36}, {1037, 37}, {1031, 2}};
  buttons_ = {{1032, 6, kResultBack}, {1033, 7, kResultNext}, {1034, 8, kAskCancel}};
  closeBox_ = CloseBox::Nothing;
}

DestinationPage::DestinationPage(SetupSession& session) : WizardPage(108, session) {
  texts_ = {{1401, 39}, {1404, 40}, {1408, 37}, {1410, 2}};
  buttons_ = {{1403, 13, 0}, {1411, 6, kResultBack}, {1412, 7, kResultNext}, {1413, 8, kAskCancel}};
}

void DestinationPage::InitPage() { SetItemText(1402, session_.options.installFolder); }

bool DestinationPage::BeforeEnd(int buttonId, int code) {
  if (buttonId == 1403) return false;  // the folder browser comes with the full page
  if (code == kResultNext) {
    wchar_t folder[MAX_PATH] = L"";
    ::GetDlgItemTextW(hwnd(), 1402, folder, MAX_PATH);
    std::wstring value = folder;
    if (value.empty() || value.back() != L'\\') value += L'\\';
    session_.options.installFolder = value;
  }
  return true;
}

DesktopSettingsPage::DesktopSettingsPage(SetupSession& session) : WizardPage(109, session) {
  SetupOptions& o = session.options;
  texts_ = {{1501, 45}, {1508, 2}};
  flags_ = {{1503, 46, &o.desktopShortcut},
            {1504, 47, &o.startMenuIcon},
            {1505, 48, &o.quickLaunchIcon},
            {1506, 49, &o.allUsers}};
  buttons_ = {{1509, 6, kResultBack}, {1510, 7, kResultNext}, {1502, 8, kAskCancel}};
}

SummaryPage::SummaryPage(SetupSession& session) : WizardPage(110, session) {
  texts_ = {{1601, 50}, {1604, 2}};
  buttons_ = {{1605, 6, kResultBack}, {1606, 14, kResultInstall}, {1607, 8, kAskCancel}};
}

ProgressPage::ProgressPage(SetupSession& session) : WizardPage(113, session) {
  texts_ = {{1901, 57}, {1904, 2}};
  buttons_ = {{1905, 6, kResultBack}, {1906, 7, kResultNext}, {1907, 8, kAskCancel}};
  closeBox_ = CloseBox::Nothing;
}

void ProgressPage::InitPage() {
  ::SendDlgItemMessageW(hwnd(), 1908, PBM_SETRANGE32, 0, 100);
  ::SendDlgItemMessageW(hwnd(), 1908, PBM_SETPOS, 0, 0);
  for (int id : {1905, 1906, 1907}) ::EnableWindow(Item(id), FALSE);
  // The page is drawn before any work starts: the sequence runs on the first tick.
  ::SetTimer(hwnd(), 135, 500, nullptr);
}

void ProgressPage::OnTimer(UINT_PTR id) {
  if (id != 135) return;
  ::KillTimer(hwnd(), 135);
  session_.RunInstallSequence(*this);
}

void ProgressPage::SetPosition(int position) { ::SendDlgItemMessageW(hwnd(), 1908, PBM_SETPOS, position, 0); }

void ProgressPage::SetStatus(const std::wstring& text) { SetItemText(1901, text); }

FinishPage::FinishPage(SetupSession& session) : WizardPage(111, session) {
  SetupOptions& o = session.options;
  texts_ = {{1702, 73}, {1706, 2}};
  flags_ = {{1703, 74, &o.runProgram},
            {1709, 117, &o.setDefaultPdfHandler},
            {1708, 92, &o.setDefaultPrinter},
            {1704, 75, &o.viewReadme}};
  buttons_ = {{1707, 16, kResultFinish}};
  closeBox_ = CloseBox::Finish;
}

InterruptedPage::InterruptedPage(SetupSession& session) : WizardPage(112, session) {
  texts_ = {{1802, 70}, {1803, 71}, {1804, 72}, {1806, 2}};
  buttons_ = {{1807, 16, kResultFinish}};
  closeBox_ = CloseBox::Finish;
}

bool LanguagePage::OnInitDialog() {
  SetPageIcon(hwnd());
  chosenSkin_ = session_.options.SkinIndex;
  FillTexts(session_.catalogue().initialOfferedPosition());
  return true;
}

// Title, labels and the list in the language now loaded; the list keeps its order and selection.
void LanguagePage::FillTexts(size_t selected) {
  ::SetWindowTextW(hwnd(), session_.Text(1).c_str());
  SetItemText(1001, session_.Text(17));
  SetItemText(1003, session_.Text(5));
  HWND combo = Item(1002);
  ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::u16string& name : session_.catalogue().OfferedLanguageTexts()) {
    const std::wstring item(name.begin(), name.end());
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  ::SendMessageW(combo, CB_SETCURSEL, selected, 0);
}

bool LanguagePage::OnCommand(int id, int notifyCode, HWND) {
  if (id == 1002 && notifyCode == CBN_SELCHANGE) {
    const LRESULT position = ::SendDlgItemMessageW(hwnd(), 1002, CB_GETCURSEL, 0, 0);
    if (position == CB_ERR) return true;
    const int skin = session_.catalogue().SelectOfferedLanguage(static_cast<size_t>(position));
    if (skin >= 0) chosenSkin_ = skin;
    FillTexts(static_cast<size_t>(position));
    return true;
  }
  if (id == 1003 && notifyCode == BN_CLICKED) {
    session_.options.SkinIndex = chosenSkin_;
    End(kResultOk);
    return true;
  }
  return false;
}

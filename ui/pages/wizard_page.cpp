// The frame every wizard page shares.
#include <windows.h>
#include <commctrl.h>

#include "core/page_result.h"
#include "core/text_ids.h"
#include "framework/ui/dpi.h"
#include "resources/ids.h"
#include "ui/pages/page_host.h"
#include "ui/pages/pages.h"
#include "ui/pages/removal_dialogs.h"

namespace {

constexpr int kClientWidth = 529;
constexpr int kClientHeight = 392;

struct SkinArt {
  int side, banner, welcomeTitle, finishTitle, interruptedTitle;
};

// Bitmap resources by SkinIndex: English, French, German, Korean, Japanese, Simplified and Traditional Chinese.
const SkinArt kSkins[kInstallerLanguages] = {
    {IDB_SIDE_EN, IDB_BANNER_EN, IDB_WELCOME_TITLE_EN, IDB_FINISH_TITLE_EN, IDB_INTERRUPTED_TITLE_EN},
    {IDB_SIDE_FR, IDB_BANNER_FR, IDB_WELCOME_TITLE_FR, IDB_FINISH_TITLE_FR, IDB_INTERRUPTED_TITLE_FR},
    {IDB_SIDE_DE, IDB_BANNER_DE, IDB_WELCOME_TITLE_DE, IDB_FINISH_TITLE_DE, IDB_INTERRUPTED_TITLE_DE},
    {IDB_SIDE_KO, IDB_BANNER_KO, IDB_WELCOME_TITLE_KO, IDB_FINISH_TITLE_KO, IDB_INTERRUPTED_TITLE_KO},
    {IDB_SIDE_JA, IDB_BANNER_JA, IDB_WELCOME_TITLE_JA, IDB_FINISH_TITLE_JA, IDB_INTERRUPTED_TITLE_JA},
    {IDB_SIDE_ZH_CN, IDB_BANNER_ZH_CN, IDB_WELCOME_TITLE_ZH_CN, IDB_FINISH_TITLE_ZH_CN, IDB_INTERRUPTED_TITLE_ZH_CN},
    {IDB_SIDE_ZH_TW, IDB_BANNER_ZH_TW, IDB_WELCOME_TITLE_ZH_TW, IDB_FINISH_TITLE_ZH_TW, IDB_INTERRUPTED_TITLE_ZH_TW},
};

bool ClosesWithReset(int code) {
  return code == kResultBack || code == kResultNext || code == kResultDefault || code == kResultCustom ||
         code == kResultInstall;
}

}  // namespace

void SetPageIcon(HWND hwnd) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const int dpi = WindowDpi(hwnd);
  // Shared icons belong to the system's cache; nothing to release.
  HANDLE big = ::LoadImageW(instance, MAKEINTRESOURCEW(IDI_SETUP), IMAGE_ICON, SystemMetricForDpi(SM_CXICON, dpi),
                            SystemMetricForDpi(SM_CYICON, dpi), LR_SHARED);
  HANDLE small = ::LoadImageW(instance, MAKEINTRESOURCEW(IDI_SETUP), IMAGE_ICON, SystemMetricForDpi(SM_CXSMICON, dpi),
                              SystemMetricForDpi(SM_CYSMICON, dpi), LR_SHARED);
  ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

// The removal windows wear the wizard's banner.
int RemovalBannerId(int skinIndex) {
  return kSkins[skinIndex >= 0 && skinIndex < kInstallerLanguages ? skinIndex : 0].banner;
}

int WizardPage::skin() const {
  const int index = host_.Options().SkinIndex;
  return index >= 0 && index < kInstallerLanguages ? index : 0;
}

void WizardPage::SetText(int id, unsigned textId) { SetItemText(id, host_.Text(textId)); }

void WizardPage::SetTextAt(int id, unsigned textId, Rect place) {
  SetText(id, textId);
  PlaceItem(id, place);
}

SkinButton* WizardPage::Button(int id) {
  for (size_t i = 0; i < buttons_.size() && i < skinButtons_.size(); ++i) {
    if (buttons_[i].id == id) return skinButtons_[i].get();
  }
  return nullptr;
}

std::vector<WizardPage::Rect> WizardPage::ButtonPlaces() const {
  switch (buttons_.size()) {
    case 1: return {{425, 358, 88, 24}};
    case 2: return {{329, 358, 88, 24}, {425, 358, 88, 24}};
    default: return {{233, 358, 88, 24}, {329, 358, 88, 24}, {425, 358, 88, 24}};
  }
}

void WizardPage::AttachFrame() {
  const SkinArt& art = kSkins[skin()];
  const bool korean = skin() == kKorean;
  picture_.Attach(hwnd(), frame_.pictureId);
  // The pictures carry the product's name and the page's title as drawn text; the caption says as much.
  picture_.name = titlePicture_.name = host_.Text(kTextCaption);
  if (frame_.picture == Picture::Side) {
    picture_.SetBitmap(art.side);
    PlaceItem(frame_.pictureId, {0, 0, 195, 340});
  } else {
    picture_.SetBitmap(art.banner);
    PlaceItem(frame_.pictureId, {0, 0, 529, 66});
  }
  if (frame_.title != Title::None) {
    titlePicture_.Attach(hwnd(), frame_.titleId);
    Rect place{};
    switch (frame_.title) {
      case Title::Welcome:
        titlePicture_.SetBitmap(art.welcomeTitle);
        place = korean ? Rect{233, 20, 270, 30} : Rect{253, 20, 203, 32};
        break;
      case Title::Finish:
        titlePicture_.SetBitmap(art.finishTitle);
        place = korean ? Rect{300, 20, 120, 32} : Rect{263, 20, 182, 32};
        break;
      case Title::Interrupted:
        titlePicture_.SetBitmap(art.interruptedTitle);
        place = korean ? Rect{253, 20, 250, 32} : Rect{273, 20, 163, 32};
        break;
      case Title::None: break;
    }
    PlaceItem(frame_.titleId, place);
  }
}

bool WizardPage::OnInitDialog() {
  // The button objects live as long as the page; their windows are new on every showing.
  while (skinButtons_.size() < buttons_.size()) skinButtons_.push_back(std::make_unique<SkinButton>());
  for (size_t i = 0; i < buttons_.size(); ++i) skinButtons_[i]->Attach(hwnd(), buttons_[i].id);
  SetPageIcon(hwnd());
  ::SetWindowTextW(hwnd(), host_.Text(kTextCaption).c_str());
  SetClientSize(kClientWidth, kClientHeight);
  AttachFrame();
  InitPage();
  PlaceItem(frame_.separatorId, {-1, 340, 531, 1});
  // Placed before it is attached, so the tooltip covers the label's final size.
  PlaceItem(frame_.footerId, {9, 357, 160, 24});
  footer_.Attach(hwnd(), frame_.footerId);
  footer_.url = host_.Text(kTextVendorAddress);
  SetItemText(frame_.footerId, footer_.url);
  footer_.SetTooltipText(host_.Text(kTextVendorFullAddress));
  const std::vector<Rect> places = ButtonPlaces();
  for (size_t i = 0; i < buttons_.size(); ++i) {
    SetText(buttons_[i].id, buttons_[i].textId);
    if (i < places.size()) PlaceItem(buttons_[i].id, places[i]);
  }
  return !FocusTextFromItsStart();
}

// The dialog manager selects the whole text of the edit it focuses, and Wine then scrolls to the end of the
// selection: a read-only text (licence, summary) would open at its last line, all highlighted. Such an edit
// gets the same focus here, with the caret at the start.
bool WizardPage::FocusTextFromItsStart() {
  HWND first = ::GetNextDlgTabItem(hwnd(), nullptr, FALSE);
  if (!first || !(::SendMessageW(first, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) ||
      !(::GetWindowLongPtrW(first, GWL_STYLE) & ES_READONLY)) {
    return false;
  }
  ::SetFocus(first);
  ::SendMessageW(first, EM_SETSEL, 0, 0);
  ::SendMessageW(first, EM_SCROLLCARET, 0, 0);
  return true;
}

bool WizardPage::OnCommand(int id, int notifyCode, HWND) {
  if (notifyCode != BN_CLICKED) return false;
  for (const ButtonRule& rule : buttons_) {
    if (rule.id != id) continue;
    if (rule.action == kAskCancel) {
      ConfirmCancel(id);
    } else if (rule.action == kOwnAction) {
      OnOwnButton(id);
    } else if (BeforeEnd(id, rule.action)) {
      if (ClosesWithReset(rule.action)) {
        if (SkinButton* button = Button(id)) button->ResetState();
      }
      End(rule.action);
    }
    return true;
  }
  OnOwnButton(id);
  return false;
}

void WizardPage::OnCancel() {
  switch (closeBox_) {
    case CloseBox::ConfirmCancel: {
      int cancelId = 0;
      for (const ButtonRule& rule : buttons_) {
        if (rule.action == kAskCancel) cancelId = rule.id;
      }
      ConfirmCancel(cancelId);
      break;
    }
    case CloseBox::Finish: End(kResultFinish); break;
    case CloseBox::Nothing: break;
  }
}

void WizardPage::ConfirmCancel(int buttonId) {
  if (ShowMessage(hwnd(), host_.Text(kTextConfirmCancel), host_.Text(kTextCaption), MB_YESNO | MB_ICONEXCLAMATION) ==
      IDYES) {
    if (SkinButton* button = Button(buttonId)) button->ResetState();
    End(kResultCancel);
  }
}

INT_PTR WizardPage::OnMessage(UINT msg, WPARAM, LPARAM, bool& handled) {
  // Minimised, the page shows its icon centred; a drag asks for the same icon.
  if (msg == WM_PAINT && ::IsIconic(hwnd())) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(hwnd(), &paint);
    ::SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(hwnd(), &client);
    const int cx = ::GetSystemMetrics(SM_CXICON);
    const int cy = ::GetSystemMetrics(SM_CYICON);
    HICON icon = reinterpret_cast<HICON>(::SendMessageW(hwnd(), WM_GETICON, ICON_BIG, 0));
    ::DrawIcon(dc, (client.right - cx + 1) / 2, (client.bottom - cy + 1) / 2, icon);
    ::EndPaint(hwnd(), &paint);
    handled = true;
    return TRUE;
  }
  if (msg == WM_QUERYDRAGICON) {
    handled = true;
    return static_cast<INT_PTR>(::SendMessageW(hwnd(), WM_GETICON, ICON_BIG, 0));
  }
  handled = false;
  return 0;
}

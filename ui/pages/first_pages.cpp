// Welcome, licence agreement and install type.
#include "core/page_result.h"
#include "ui/pages/page_host.h"
#include "ui/pages/pages.h"

namespace {
constexpr int kJapanese = 4;
constexpr int kKorean = 3;
constexpr int kFrench = 1;
}  // namespace

WelcomePage::WelcomePage(PageHost& host) : WizardPage(104, host) {
  frame_ = {Picture::Side, 1100, Title::Welcome, 1101, 1112, 1113};
  buttons_ = {{1114, 7, kResultNext}, {1115, 8, kAskCancel}};
}

void WelcomePage::InitPage() {
  SetTextAt(1102, 18, skin() == kKorean ? Rect{211, 60, 312, 50} : Rect{211, 60, 302, 50});
  SetTextAt(1103, 19, {211, 115, 302, 20});
  for (int i = 0; i < 6; ++i) SetTextAt(1104 + i, 20 + i, {211, 135 + 20 * i, 302, 20});
  SetTextAt(1110, 26, {211, 255, 302, 20});
  moreLink_.Attach(hwnd(), 1110);
  moreLink_.url = host_.Text(4);
  SetTextAt(1111, 27, {211, 294, 302, 40});
}

std::vector<WizardPage::Rect> WelcomePage::ButtonPlaces() const {
  if (skin() == kJapanese) return {{320, 358, 99, 24}, {425, 358, 99, 24}};
  if (skin() == kKorean) {
    // Korean keeps the template's places.
    return {};
  }
  return WizardPage::ButtonPlaces();
}

ExistingVersionPage::ExistingVersionPage(PageHost& host) : WizardPage(114, host) {
  frame_ = {Picture::Side, 1087, Title::None, 0, 1090, 1091};
  buttons_ = {{1094, 6, kResultBack}, {1092, 7, kResultNext}, {1093, 8, kAskCancel}};
}

void ExistingVersionPage::InitPage() {
  unsigned textId = 0;
  switch (host_.Options().existingState) {
    case 1: textId = 28; break;
    case 2: textId = 30; break;
    case 3: textId = 29; break;
  }
  SetItemText(1089, textId ? host_.Text(textId) : std::wstring());
  PlaceItem(1089, {211, 60, 302, 264});
}

std::vector<WizardPage::Rect> ExistingVersionPage::ButtonPlaces() const {
  if (skin() == kJapanese) return {{173, 358, 112, 24}, {293, 358, 112, 24}, {412, 358, 112, 24}};
  return WizardPage::ButtonPlaces();
}

LicenseAgreementPage::LicenseAgreementPage(PageHost& host) : WizardPage(105, host) {
  frame_ = {Picture::Banner, 1200, Title::None, 0, 1203, 1204};
  buttons_ = {{1205, 6, kResultBack}, {1206, 9, kResultNext}, {1207, 10, kAskCancel}};
}

void LicenseAgreementPage::LoadLicence() {
  licence_.clear();
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(183), L"LICENSE");
  HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
  const auto* text = static_cast<const wchar_t*>(loaded ? ::LockResource(loaded) : nullptr);
  if (!text) return;
  // Up to the first NUL, and never past the resource when it has none.
  licence_.assign(text, wcsnlen(text, ::SizeofResource(module, found) / sizeof(wchar_t)));
}

// The agreement is English; the other languages show their text 97.
void LicenseAgreementPage::InitPage() {
  LoadLicence();
  SetTextAt(1201, 31, {16, 80, 494, 20});
  licenceEdit_.Attach(hwnd(), 1202);
  SetItemText(1202, skin() == 0 ? licence_ : host_.Text(97));
  PlaceItem(1202, {16, 110, 498, 214});
}

std::vector<WizardPage::Rect> LicenseAgreementPage::ButtonPlaces() const {
  if (skin() == kJapanese) return {{203, 358, 98, 24}, {309, 358, 98, 24}, {415, 358, 98, 24}};
  if (skin() == kFrench) return {{197, 358, 100, 24}, {305, 358, 100, 24}, {413, 358, 100, 24}};
  return WizardPage::ButtonPlaces();
}

InstallTypePage::InstallTypePage(PageHost& host) : WizardPage(106, host) {
  frame_ = {Picture::Banner, 1300, Title::None, 0, 1307, 1308};
  buttons_ = {{1303, 11, kResultDefault}, {1304, 12, kResultCustom}, {1309, 6, kResultBack}, {1310, 8, kAskCancel}};
}

void InstallTypePage::InitPage() {
  const int side = skin() == kJapanese ? 77 : skin() == kKorean ? 75 : 66;
  PlaceItem(1301, {16, 74, 498, 250});
  SetTextAt(1302, 32, {32, 96, 480, 40});
  SetTextAt(1305, 33, {120, 172, 366, 40});
  SetTextAt(1306, 34, {120, 245, 366, 40});
  squareSide_ = side;
}

std::vector<WizardPage::Rect> InstallTypePage::ButtonPlaces() const {
  const Rect defaultButton{40, 150, squareSide_, squareSide_};
  const Rect customButton{40, 230, squareSide_, squareSide_};
  if (skin() == kJapanese) return {defaultButton, customButton, {320, 358, 99, 24}, {425, 358, 99, 24}};
  return {defaultButton, customButton, {329, 358, 88, 24}, {425, 358, 88, 24}};
}

// Both choices start again from the defaults: the folder and the four desktop options.
bool InstallTypePage::BeforeEnd(int, int code) {
  if (code == kResultDefault || code == kResultCustom) {
    SetupOptions& o = host_.Options();
    o.installFolder = o.defaultInstallFolder;
    o.desktopShortcut = o.startMenuIcon = o.quickLaunchIcon = o.allUsers = 1;
  }
  return true;
}

// Welcome, licence agreement and install type.
#include "core/page_result.h"
#include "core/text_ids.h"
#include "resources/ids.h"
#include "ui/pages/page_host.h"
#include "ui/pages/pages.h"

namespace {
constexpr int kFrench = 1;
}  // namespace

WelcomePage::WelcomePage(PageHost& host) : WizardPage(IDD_WELCOME, host) {
  frame_ = {Picture::Side,     IDC_WELCOME_PICTURE,   Title::Welcome,
            IDC_WELCOME_TITLE, IDC_WELCOME_SEPARATOR, IDC_WELCOME_FOOTER};
  buttons_ = {{IDC_WELCOME_NEXT, kTextNext, kResultNext}, {IDC_WELCOME_CANCEL, kTextCancel, kAskCancel}};
}

void WelcomePage::InitPage() {
  SetTextAt(IDC_WELCOME_INTRO, kTextWelcome, skin() == kKorean ? Rect{211, 60, 312, 50} : Rect{211, 60, 302, 50});
  SetTextAt(IDC_WELCOME_FEATURES, kTextMainFeatures, {211, 115, 302, 20});
  for (int i = 0; i < kWelcomeFeatureLines; ++i)
    SetTextAt(IDC_WELCOME_FEATURE1 + i, kTextFirstFeature + i, {211, 135 + 20 * i, 302, 20});
  SetTextAt(IDC_WELCOME_MORE, kTextAndMuchMore, {211, 255, 302, 20});
  moreLink_.Attach(hwnd(), IDC_WELCOME_MORE);
  moreLink_.url = host_.Text(kTextMoreInformation);
  SetTextAt(IDC_WELCOME_COPYRIGHT, kTextCopyright, {211, 294, 302, 40});
}

std::vector<WizardPage::Rect> WelcomePage::ButtonPlaces() const {
  if (skin() == kJapanese) return {{320, 358, 99, 24}, {425, 358, 99, 24}};
  if (skin() == kKorean) {
    // Korean keeps the template's places.
    return {};
  }
  return WizardPage::ButtonPlaces();
}

ExistingVersionPage::ExistingVersionPage(PageHost& host) : WizardPage(IDD_EXISTING, host) {
  frame_ = {Picture::Side, IDC_EXISTING_PICTURE, Title::None, 0, IDC_EXISTING_SEPARATOR, IDC_EXISTING_FOOTER};
  buttons_ = {{IDC_EXISTING_BACK, kTextBack, kResultBack},
              {IDC_EXISTING_NEXT, kTextNext, kResultNext},
              {IDC_EXISTING_CANCEL, kTextCancel, kAskCancel}};
}

void ExistingVersionPage::InitPage() {
  unsigned textId = 0;
  switch (host_.Options().existingState) {
    case 1: textId = kTextSameVersionInstalled; break;
    case 2: textId = kTextNewerVersionInstalled; break;
    case 3: textId = kTextOlderVersionInstalled; break;
  }
  SetItemText(IDC_EXISTING_TEXT, textId ? host_.Text(textId) : std::wstring());
  PlaceItem(IDC_EXISTING_TEXT, {211, 60, 302, 264});
}

std::vector<WizardPage::Rect> ExistingVersionPage::ButtonPlaces() const {
  if (skin() == kJapanese) return {{173, 358, 112, 24}, {293, 358, 112, 24}, {412, 358, 112, 24}};
  return WizardPage::ButtonPlaces();
}

LicenseAgreementPage::LicenseAgreementPage(PageHost& host) : WizardPage(IDD_LICENCE, host) {
  frame_ = {Picture::Banner, IDC_LICENCE_BANNER, Title::None, 0, IDC_LICENCE_SEPARATOR, IDC_LICENCE_FOOTER};
  buttons_ = {{IDC_LICENCE_BACK, kTextBack, kResultBack},
              {IDC_LICENCE_AGREE, kTextAgree, kResultNext},
              {IDC_LICENCE_DISAGREE, kTextDisagree, kAskCancel}};
}

void LicenseAgreementPage::LoadLicence() {
  licence_.clear();
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(IDR_LICENCE_TEXT), L"LICENSE");
  HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
  const auto* text = static_cast<const wchar_t*>(loaded ? ::LockResource(loaded) : nullptr);
  if (!text) return;
  // Up to the first NUL, and never past the resource when it has none.
  licence_.assign(text, wcsnlen(text, ::SizeofResource(module, found) / sizeof(wchar_t)));
}

// The agreement is English; the other languages show their kTextLicenceStandIn.
void LicenseAgreementPage::InitPage() {
  LoadLicence();
  SetTextAt(IDC_LICENCE_INTRO, kTextReadLicence, {16, 80, 494, 20});
  licenceEdit_.Attach(hwnd(), IDC_LICENCE_TEXT);
  SetItemText(IDC_LICENCE_TEXT, skin() == 0 ? licence_ : host_.Text(kTextLicenceStandIn));
  PlaceItem(IDC_LICENCE_TEXT, {16, 110, 498, 214});
}

std::vector<WizardPage::Rect> LicenseAgreementPage::ButtonPlaces() const {
  if (skin() == kJapanese) return {{203, 358, 98, 24}, {309, 358, 98, 24}, {415, 358, 98, 24}};
  if (skin() == kFrench) return {{197, 358, 100, 24}, {305, 358, 100, 24}, {413, 358, 100, 24}};
  return WizardPage::ButtonPlaces();
}

InstallTypePage::InstallTypePage(PageHost& host) : WizardPage(IDD_TYPE, host) {
  frame_ = {Picture::Banner, IDC_TYPE_BANNER, Title::None, 0, IDC_TYPE_SEPARATOR, IDC_TYPE_FOOTER};
  buttons_ = {{IDC_TYPE_DEFAULT, kTextDefault, kResultDefault},
              {IDC_TYPE_CUSTOM, kTextCustom, kResultCustom},
              {IDC_TYPE_BACK, kTextBack, kResultBack},
              {IDC_TYPE_CANCEL, kTextCancel, kAskCancel}};
}

void InstallTypePage::InitPage() {
  const int side = skin() == kJapanese ? 77 : skin() == kKorean ? 75 : 66;
  PlaceItem(IDC_TYPE_GROUP, {16, 74, 498, 250});
  SetTextAt(IDC_TYPE_INTRO, kTextSelectInstallType, {32, 96, 480, 40});
  SetTextAt(IDC_TYPE_DEFAULT_TEXT, kTextUseDefaultSettings, {120, 172, 366, 40});
  SetTextAt(IDC_TYPE_CUSTOM_TEXT, kTextCustomizeSettings, {120, 245, 366, 40});
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

#include "i18n/wizard_language.h"

namespace {

// Primary language and sublanguage fields of a LANGID.
constexpr uint16_t kPrimaryMask = 0x3FF;
constexpr int kSublanguageShift = 10;

constexpr uint16_t kLangChinese = 0x04;
constexpr uint16_t kLangGerman = 0x07;
constexpr uint16_t kLangFrench = 0x0C;
constexpr uint16_t kLangJapanese = 0x11;
constexpr uint16_t kLangKorean = 0x12;

// Chinese sublanguages written with traditional characters: Taiwan, Hong
// Kong, Macau, and the neutral "zh-Hant" (0x7C04).
bool IsTraditionalChinese(uint16_t sublanguage) {
  return sublanguage == 0x01 || sublanguage == 0x03 || sublanguage == 0x05 || sublanguage == 0x1F;
}

}  // namespace

std::u16string WizardLanguageForLangId(uint16_t langId) {
  const uint16_t primary = langId & kPrimaryMask;
  const uint16_t sublanguage = static_cast<uint16_t>(langId >> kSublanguageShift);
  switch (primary) {
    case kLangFrench: return u"French";
    case kLangGerman: return u"German";
    case kLangKorean: return u"Korean";
    case kLangJapanese: return u"Japanese";
    case kLangChinese: return IsTraditionalChinese(sublanguage) ? u"Chinese_Traditional" : u"Chinese_Simplified";
    default: return u"English";
  }
}

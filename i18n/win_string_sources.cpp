#include "i18n/win_string_sources.h"

#include <windows.h>

#include "i18n/wizard_language.h"

std::u16string UserWizardLanguage() { return WizardLanguageForLangId(GetUserDefaultUILanguage()); }

std::u16string LoadBuiltinString(unsigned id) {
  // With a zero buffer size LoadStringW hands out a pointer into the
  // resource itself, so texts of any length come back whole.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text) return std::u16string();
  return std::u16string(reinterpret_cast<const char16_t*>(text), static_cast<size_t>(length));
}

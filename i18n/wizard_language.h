// The seven languages the wizard has a skin for. Their English names are the
// built-in texts 101 to 107; SkinIndex is the text ID minus 101.
#pragma once

#include <cstdint>
#include <string>

constexpr unsigned kWizardLanguageFirstText = 101;
constexpr int kWizardLanguageCount = 7;

// Maps a Windows LANGID (e.g. GetUserDefaultUILanguage()) to the English
// name of the closest wizard language; English for any other language.
std::u16string WizardLanguageForLangId(uint16_t langId);

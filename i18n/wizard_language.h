// The seven languages the wizard has a skin for. Their English names are the
// built-in texts from kTextFirstLanguageName on; SkinIndex is the text ID minus
// kTextFirstLanguageName.
#pragma once

#include <cstdint>
#include <string>

// Maps a Windows LANGID (e.g. GetUserDefaultUILanguage()) to the English
// name of the closest wizard language; English for any other language.
std::u16string WizardLanguageForLangId(uint16_t langId);

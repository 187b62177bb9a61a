// Windows sources for the StringCatalogue: the user's UI language and the
// program's own STRINGTABLE through LoadStringW. The setup folder and the
// file reader are the base's (framework/base/file_access.h).
#pragma once

#include <string>

// WizardLanguageForLangId(GetUserDefaultUILanguage()).
std::u16string UserWizardLanguage();
// A StringCatalogue::BuiltinLookup over the executable's string table.
std::u16string LoadBuiltinString(unsigned id);

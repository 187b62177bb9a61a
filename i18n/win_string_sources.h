// Windows sources for the StringCatalogue: the setup folder, the user's UI
// language, files read whole with CreateFileW, and the program's own
// STRINGTABLE through LoadStringW.
#pragma once

#include <string>

// The folder of the running program, without the trailing backslash.
std::u16string RunningProgramFolder();
// WizardLanguageForLangId(GetUserDefaultUILanguage()).
std::u16string UserWizardLanguage();
// A StringCatalogue::FileReader.
bool ReadWholeFile(const std::u16string& path, std::string& bytes);
// A StringCatalogue::BuiltinLookup over the executable's string table.
std::u16string LoadBuiltinString(unsigned id);

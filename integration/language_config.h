#pragma once
// What the installer language and a LangConfig.xml beside the setup ask for, and what their files are named after.
#include <string>
#include <vector>

// The English name of an installer language (built-in kTextFirstLanguageName + skinIndex); empty out of range.
std::wstring InstallerLanguageName(int skinIndex);

// What a language's files are named after: the catalogue's file for the name (case-insensitive) from its
// first "_" on ("lang_fr_fr.xml"). The whole file name when it has no "_"; empty for an unknown name.
std::wstring LanguageSuffix(const std::wstring& languageName);

// Language names that a LangConfig.xml asks for, in its order. "LangType" 1: the one ID of the first
// "LangId" element's "value"; 2: the IDs of that value separated by ",", where an empty entry is skipped; any
// other type, or bytes that don't parse: none. An ID outside the catalogue gives an empty name, which is kept.
std::vector<std::wstring> LanguagesOfConfig(const std::string& bytes);

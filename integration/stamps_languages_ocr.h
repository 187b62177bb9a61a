#pragma once
// Stamps, the product's extra languages and the OCR add-on: the install and remove routines are members of
// ComponentRegistry (component_registry.h); this is what they read.
#include <string>
#include <vector>

// Language names that a LangConfig.xml asks for, in its order. "LangType" 1: the one ID of the first
// "LangId" element's "value"; 2: the IDs of that value separated by ",", where an empty entry is skipped; any
// other type, or bytes that don't parse: none. An ID outside the catalogue gives an empty name, which is kept.
std::vector<std::wstring> LanguagesOfConfig(const std::string& bytes);

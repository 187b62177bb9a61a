#pragma once

#include <map>
#include <string>

const std::map<unsigned, std::u16string>& BuiltinEnglishStrings();
// Empty for an ID the table does not hold.
std::u16string BuiltinEnglishString(unsigned id);

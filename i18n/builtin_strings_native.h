// The built-in English texts of the native build, for the StringCatalogue's BuiltinLookup. The table is the
// STRINGTABLE of resources/strings_en.rc, written out when the tree is configured (cmake/builtin_strings.cmake);
// setup.exe reads the same script, compiled into it, through LoadBuiltinString.
#pragma once

#include <cstddef>
#include <string>

struct BuiltinString {
  unsigned id;
  const char16_t* text;
};

// Every text of the script, in its order.
extern const BuiltinString kBuiltinEnglishStrings[];
extern const size_t kBuiltinEnglishStringCount;

// Empty for an ID the table does not hold.
std::u16string BuiltinEnglishString(unsigned id);

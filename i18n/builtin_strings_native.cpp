#include "i18n/builtin_strings_native.h"

std::u16string BuiltinEnglishString(unsigned id) {
  for (size_t i = 0; i < kBuiltinEnglishStringCount; ++i) {
    if (kBuiltinEnglishStrings[i].id == id) return kBuiltinEnglishStrings[i].text;
  }
  return std::u16string();
}

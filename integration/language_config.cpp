#include "integration/language_config.h"

#include <memory>

#include "core/setup_options.h"
#include "core/text_ids.h"
#include "engine/product_files.h"
#include "engine/xml/xml_document.h"
#include "framework/base/path_text.h"
#include "i18n/language_catalogue.h"
#include "i18n/win_string_sources.h"

namespace {

// Decimal like atol: leading blanks, a sign, digits up to the first other character; 0 without digits.
long long DecimalOf(const std::u16string& text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == u' ' || text[at] == u'\t')) ++at;
  const bool negative = at < text.size() && text[at] == u'-';
  if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) ++at;
  long long value = 0;
  for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
    if (value < 1000000000LL) value = value * 10 + (text[at] - u'0');  // far outside the table already
  }
  return negative ? -value : value;
}

std::wstring LanguageOfId(const std::u16string& id) {
  return Wide(LanguageCatalogue::NameOfPosition(DecimalOf(id) - LanguageCatalogue::kFirstId));
}

}  // namespace

std::wstring InstallerLanguageName(int skinIndex) {
  if (skinIndex < 0 || skinIndex >= kInstallerLanguages) return std::wstring();
  // Always the English name, whatever language the texts are shown in.
  return Wide(LoadBuiltinString(kTextFirstLanguageName + skinIndex));
}

std::wstring LanguageSuffix(const std::wstring& languageName) {
  return LanguageFileSuffix(Wide(LanguageCatalogue::FileOfName(Utf16(languageName))));
}

std::vector<std::wstring> LanguagesOfConfig(const std::string& bytes) {
  std::vector<std::wstring> names;
  const std::unique_ptr<XmlElement> root = XmlDocument::Parse(bytes);
  if (!root) return names;
  int type = 0;
  root->AttrInteger("LangType", type);
  if (type != 1 && type != 2) return names;
  const XmlElement* ids = root->FindElement("", "LangId", 0);
  const std::u16string value = ids ? ids->AttrValue("value") : std::u16string();
  if (type == 1) {
    names.push_back(LanguageOfId(value));
    return names;
  }
  size_t start = 0;
  for (;;) {
    const size_t comma = value.find(u',', start);
    const std::u16string id = value.substr(start, comma == std::u16string::npos ? comma : comma - start);
    if (!id.empty()) names.push_back(LanguageOfId(id));
    if (comma == std::u16string::npos) break;
    start = comma + 1;
  }
  return names;
}

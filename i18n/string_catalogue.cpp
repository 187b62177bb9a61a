#include "i18n/string_catalogue.h"

#include <string>
#include <utility>

#include "core/setup_options.h"
#include "core/text_ids.h"
#include "i18n/language_catalogue.h"
#include "i18n/text_compare.h"

namespace {

constexpr int kModeFixed = 1;
constexpr int kModeList = 2;

std::u16string ToUtf16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// The table position a decimal language ID string names; out of range for
// anything that is not 40802 to 40836.
long long PositionOfIdText(const std::u16string& languageId) {
  return static_cast<long long>(ParseCInteger(languageId)) - LanguageCatalogue::kFirstId;
}

std::vector<std::u16string> SplitAtCommas(const std::u16string& list) {
  std::vector<std::u16string> pieces;
  size_t start = 0;
  for (;;) {
    const size_t comma = list.find(u',', start);
    pieces.push_back(list.substr(start, comma - start));
    if (comma == std::u16string::npos) return pieces;
    start = comma + 1;
  }
}

}  // namespace

StringCatalogue::StringCatalogue(FileReader readFile, BuiltinLookup builtin)
    : readFile_(std::move(readFile)), builtin_(std::move(builtin)) {}

StringCatalogue::~StringCatalogue() {
  Unload();
  offeredLanguages_.clear();
}

int StringCatalogue::LoadAtStartup(const std::u16string& setupFolder, const std::u16string& preferredLanguage) {
  if (languageDocument_) return -1;
  setupFolder_ = setupFolder;
  languageMode_ = 0;
  offeredLanguages_.clear();
  initialOfferedPosition_ = 0;

  std::string bytes;
  if (!readFile_ || !readFile_(setupFolder_ + u"\\" + kConfigFileName, bytes)) return 0;
  const std::unique_ptr<XmlElement> config = XmlDocument::Parse(bytes);
  if (!config) return 0;
  int mode = 0;
  if (config->AttrInteger("LangType", mode)) languageMode_ = mode;
  if (languageMode_ == kModeFixed) return LoadFixedLanguage(*config);
  if (languageMode_ == kModeList) return LoadLanguageList(*config, preferredLanguage);
  return 0;
}

int StringCatalogue::LoadFixedLanguage(const XmlElement& config) {
  const XmlElement* langId = config.FindElement("", "LangId", 0);
  const std::u16string value = langId ? langId->AttrValue("value") : std::u16string();
  const long long position = PositionOfIdText(value);
  LoadFile(LanguageCatalogue::FileOfPosition(position));
  // A language without a skin keeps the English one; its texts still come from its file.
  const int skinIndex = SkinIndexOfName(LanguageCatalogue::NameOfPosition(position));
  return skinIndex < 0 ? 0 : skinIndex;
}

int StringCatalogue::LoadLanguageList(const XmlElement& config, const std::u16string& preferredLanguage) {
  const XmlElement* langId = config.FindElement("", "LangId", 0);
  const std::u16string value = langId ? langId->AttrValue("value") : std::u16string();
  for (const std::u16string& piece : SplitAtCommas(value)) {
    if (SkinIndexOfOffered(piece) >= 0) offeredLanguages_.push_back(piece);
  }
  if (offeredLanguages_.empty()) return 0;

  size_t chosen = 0;
  for (size_t i = 0; i < offeredLanguages_.size(); ++i) {
    if (LanguageCatalogue::NameOfPosition(PositionOfIdText(offeredLanguages_[i])) == preferredLanguage) {
      chosen = i;
      break;
    }
  }
  // The loaded document and the returned SkinIndex name the same
  // language, so OK without touching the combo box stays consistent.
  initialOfferedPosition_ = chosen;
  return SelectOfferedLanguage(chosen);
}

int StringCatalogue::SkinIndexOfName(const std::u16string& name) const {
  if (name.empty()) return -1;
  for (int k = 0; k < kInstallerLanguages; ++k) {
    if (BuiltinText(kTextFirstLanguageName + k) == name) return k;
  }
  return -1;
}

int StringCatalogue::SkinIndexOfOffered(const std::u16string& languageId) const {
  return SkinIndexOfName(LanguageCatalogue::NameOfPosition(PositionOfIdText(languageId)));
}

std::vector<std::u16string> StringCatalogue::OfferedLanguageTexts() const {
  std::vector<std::u16string> texts;
  for (const std::u16string& languageId : offeredLanguages_) {
    const int skinIndex = SkinIndexOfOffered(languageId);
    texts.push_back(skinIndex < 0 ? std::u16string() : text(kTextFirstLanguageName + skinIndex));
  }
  return texts;
}

int StringCatalogue::SelectOfferedLanguage(size_t position) {
  if (position >= offeredLanguages_.size()) return -1;
  const long long tablePosition = PositionOfIdText(offeredLanguages_[position]);
  ReloadByName(LanguageCatalogue::NameOfPosition(tablePosition));
  return SkinIndexOfOffered(offeredLanguages_[position]);
}

void StringCatalogue::ReloadByName(const std::u16string& name) {
  Unload();
  const int position = LanguageCatalogue::PositionOfName(name);
  if (position >= 0) LoadFile(LanguageCatalogue::FileOfPosition(position));
}

void StringCatalogue::LoadFile(const std::u16string& fileName) {
  languageDocument_.reset();
  if (fileName.empty() || !readFile_) return;
  std::string bytes;
  if (!readFile_(setupFolder_ + u"\\" + fileName, bytes) || bytes.empty()) return;
  languageDocument_ = XmlDocument::Parse(bytes);
}

void StringCatalogue::Unload() { languageDocument_.reset(); }

std::u16string StringCatalogue::BuiltinText(unsigned id) const { return builtin_ ? builtin_(id) : std::u16string(); }

std::u16string StringCatalogue::text(unsigned id) const {
  std::u16string result;
  const XmlElement* strings = languageDocument_ ? languageDocument_->FindElement("", "Strings", 0) : nullptr;
  if (strings) {
    const std::u16string wanted = ToUtf16(std::to_string(id));
    for (size_t i = 0; i < strings->ChildCount(); ++i) {
      const XmlElement* entry = strings->ChildElement(i);
      if (entry && EqualsIgnoringAsciiCase(entry->AttrValue("id"), wanted)) {
        result = ConvertTextEscapes(entry->AttrValue("text"));
        break;
      }
    }
  }
  if (result.empty()) result = BuiltinText(id);
  return result;
}

std::u16string ConvertTextEscapes(const std::u16string& text) {
  // One pass: converted pairs hold no backslash, so the next backslash found
  // here is the first one a search from the start of the text would find.
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const char16_t next = i + 1 < text.size() ? text[i + 1] : u'\0';
    if (c == u'\\' && (next == u't' || next == u'n')) {
      out.push_back(next == u't' ? u'\t' : u'\n');
      ++i;
    } else if (c == u'\\') {
      // A last backslash, or any other escape, leaves the rest as it is.
      out.append(text, i, std::u16string::npos);
      break;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

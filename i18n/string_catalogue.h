// The installer language and the lookup of every user-visible text by ID:
// texts come from the loaded language file and fall back to the built-in
// English string table. File access and the built-in table are injected so
// the same code runs on Windows and in native tests.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/xml/xml_document.h"

class StringCatalogue {
 public:
  // Reads a whole file; false when it cannot be opened or read.
  using FileReader = std::function<bool(const std::u16string& path, std::string& bytes)>;
  // The built-in English text of an ID; empty when the table has none.
  using BuiltinLookup = std::function<std::u16string(unsigned id)>;

  static constexpr const char16_t* kConfigFileName = u"LangConfig.xml";

  StringCatalogue(FileReader readFile, BuiltinLookup builtin);
  ~StringCatalogue();
  StringCatalogue(const StringCatalogue&) = delete;
  StringCatalogue& operator=(const StringCatalogue&) = delete;

  // Start-up load from LangConfig.xml in setupFolder (no trailing
  // backslash). Returns the initial SkinIndex, or -1 without doing
  // anything when a language document is already loaded. In list mode the
  // offered language named preferredLanguage (a table name, e.g. from
  // WizardLanguageForLangId) is loaded first, else the first offered one.
  int LoadAtStartup(const std::u16string& setupFolder, const std::u16string& preferredLanguage);

  // The localized text of an ID, possibly empty.
  std::u16string text(unsigned id) const;
  // Always the built-in English text.
  std::u16string BuiltinText(unsigned id) const;

  int languageMode() const { return languageMode_; }
  // Language ID strings offered by the language dialog, in configuration order.
  const std::vector<std::u16string>& offeredLanguages() const { return offeredLanguages_; }
  const XmlElement* languageDocument() const { return languageDocument_.get(); }

  // Replaces the document by the file of the table entry with exactly this
  // name; no document when the name is not in the table.
  void ReloadByName(const std::u16string& name);
  // setupFolder + "\" + fileName; no document when it is missing, empty or unparsable.
  void LoadFile(const std::u16string& fileName);
  void Unload();

  // Position of an English table name among the built-in language names (kTextFirstLanguageName on); -1 when none.
  int SkinIndexOfName(const std::u16string& name) const;

  // Language dialog support.
  // Combo box items: the localized name (kTextFirstLanguageName + SkinIndex) of each offered language.
  std::vector<std::u16string> OfferedLanguageTexts() const;
  // Selection change: loads the offered language at that position and
  // returns its SkinIndex; -1 (nothing changed) when out of range.
  int SelectOfferedLanguage(size_t position);
  // The combo position of the language loaded by LoadAtStartup in list mode.
  size_t initialOfferedPosition() const { return initialOfferedPosition_; }

 private:
  int LoadFixedLanguage(const XmlElement& config);
  int LoadLanguageList(const XmlElement& config, const std::u16string& preferredLanguage);
  int SkinIndexOfOffered(const std::u16string& languageId) const;

  FileReader readFile_;
  BuiltinLookup builtin_;
  std::u16string setupFolder_;
  int languageMode_ = 0;
  std::unique_ptr<XmlElement> languageDocument_;
  std::vector<std::u16string> offeredLanguages_;
  size_t initialOfferedPosition_ = 0;
};

// Turns backslash-t and backslash-n into tab and line feed, stopping at the
// first backslash followed by anything else.
std::u16string ConvertTextEscapes(const std::u16string& text);

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/setup_options.h"
#include "core/text_ids.h"
#include "framework/base/path_text.h"
#include "i18n/builtin_strings_native.h"
#include "i18n/language_catalogue.h"
#include "i18n/string_catalogue.h"
#include "i18n/wizard_language.h"

namespace {

const std::u16string kFolder = u"C:\\Setup";

std::string RepoFile(const std::string& relative) {
  std::string root = __FILE__;
  root.erase(root.rfind("/tests/native/"));
  std::ifstream in(root + "/" + relative, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// An in-memory setup folder that records every path asked for.
class FakeFolder {
 public:
  void Put(const std::u16string& name, const std::string& bytes) { files_[kFolder + u"\\" + name] = bytes; }
  StringCatalogue::FileReader Reader() {
    return [this](const std::u16string& path, std::string& bytes) {
      requested.push_back(path);
      const auto it = files_.find(path);
      if (it == files_.end()) return false;
      bytes = it->second;
      return true;
    };
  }
  std::vector<std::u16string> requested;

 private:
  std::map<std::u16string, std::string> files_;
};

std::string Config(const std::string& type, const std::string& value) {
  return "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<LangConfig LangType=\"" + type + "\">\r\n  <LangId value=\"" + value +
         "\"/>\r\n</LangConfig>\r\n";
}

std::string LanguageFile(const std::string& entries) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Lang><Strings>" + entries + "</Strings></Lang>";
}

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.Put(u"inst_lang_fr_fr.xml", RepoFile("resources/lang/inst_lang_fr_fr.xml"));
    folder.Put(u"inst_lang_de_de.xml", RepoFile("resources/lang/inst_lang_de_de.xml"));
    folder.Put(u"inst_lang_ru_ru.xml", RepoFile("resources/lang/inst_lang_ru_ru.xml"));
  }
  StringCatalogue Make() { return StringCatalogue(folder.Reader(), BuiltinEnglishString); }

  FakeFolder folder;
};

TEST(LanguageTable, PositionsIdsNamesAndFiles) {
  EXPECT_EQ(LanguageCatalogue::kCount, 35);
  std::set<std::u16string> names, files;
  for (int p = 0; p < LanguageCatalogue::kCount; ++p) {
    const std::u16string name = LanguageCatalogue::NameOfPosition(p);
    const std::u16string file = LanguageCatalogue::FileOfPosition(p);
    ASSERT_FALSE(name.empty()) << p;
    EXPECT_EQ(LanguageCatalogue::IdOfName(name), 40802 + p) << p;
    EXPECT_EQ(LanguageCatalogue::FileOfName(name), file) << p;
    EXPECT_EQ(file.rfind(u"inst_lang_", 0), 0u) << p;
    names.insert(name);
    files.insert(file);
  }
  EXPECT_EQ(names.size(), 35u);
  EXPECT_EQ(files.size(), 35u);
  // The rows whose names or files are easy to "correct" by mistake.
  EXPECT_EQ(LanguageCatalogue::NameOfPosition(0), u"Arabic");
  EXPECT_EQ(LanguageCatalogue::FileOfPosition(4), u"inst_lang_cz_cz.xml");
  EXPECT_EQ(LanguageCatalogue::FileOfPosition(6), u"inst_lang_tw_cn.xml");
  EXPECT_EQ(LanguageCatalogue::NameOfPosition(9), u"English");
  EXPECT_EQ(LanguageCatalogue::NameOfPosition(25), u"Russian");
  EXPECT_EQ(LanguageCatalogue::FileOfPosition(31), u"inst_lang_jp_jp.xml");
  EXPECT_EQ(LanguageCatalogue::NameOfPosition(34), u"Ireland");
  EXPECT_EQ(LanguageCatalogue::FileOfPosition(34), u"inst_lang_ga_ie.xml");
}

TEST(LanguageTable, OutOfRangePositionsGiveEmptyNames) {
  for (long long p : {-1LL, 35LL, 36LL, -40802LL, 40802LL, 1LL << 40}) {
    EXPECT_EQ(LanguageCatalogue::NameOfPosition(p), u"") << p;
    EXPECT_EQ(LanguageCatalogue::FileOfPosition(p), u"") << p;
  }
}

TEST(LanguageTable, CaseRulesOfTheLookups) {
  EXPECT_EQ(LanguageCatalogue::IdOfName(u"Chinese_Traditional"), 40808);
  EXPECT_EQ(LanguageCatalogue::IdOfName(u"Chinese_Simplified"), 40807);
  EXPECT_EQ(LanguageCatalogue::IdOfName(u"English"), 40811);
  EXPECT_EQ(LanguageCatalogue::IdOfName(u"French"), 40814);
  // ID of name is case-sensitive; file of name is not.
  EXPECT_EQ(LanguageCatalogue::IdOfName(u"english"), 0);
  EXPECT_EQ(LanguageCatalogue::FileOfName(u"fReNcH"), u"inst_lang_fr_fr.xml");
  EXPECT_EQ(LanguageCatalogue::FileOfName(u"CHINESE_TRADITIONAL"), u"inst_lang_tw_cn.xml");
  // Whole names only.
  EXPECT_EQ(LanguageCatalogue::FileOfName(u"Portuguese"), u"inst_lang_pt_pt.xml");
  EXPECT_EQ(LanguageCatalogue::FileOfName(u"Eng"), u"");
  EXPECT_EQ(LanguageCatalogue::FileOfName(u"English "), u"");
  EXPECT_EQ(LanguageCatalogue::FileOfName(u""), u"");
  EXPECT_EQ(LanguageCatalogue::IdOfName(u""), 0);
  EXPECT_EQ(LanguageCatalogue::PositionOfName(u"Klingon"), -1);
}

TEST(WizardLanguage, UserInterfaceLanguageIds) {
  const std::map<uint16_t, std::u16string> cases = {
      {0x0409, u"English"},
      {0x0809, u"English"},
      {0x040C, u"French"},
      {0x080C, u"French"},
      {0x0C0C, u"French"},
      {0x0407, u"German"},
      {0x0C07, u"German"},
      {0x0412, u"Korean"},
      {0x0411, u"Japanese"},
      {0x0804, u"Chinese_Simplified"},
      {0x1004, u"Chinese_Simplified"},
      {0x0004, u"Chinese_Simplified"},
      {0x0404, u"Chinese_Traditional"},
      {0x0C04, u"Chinese_Traditional"},
      {0x1404, u"Chinese_Traditional"},
      {0x7C04, u"Chinese_Traditional"},
      {0x0419, u"English"},
      {0x0000, u"English"},
      {0xFFFF, u"English"},
  };
  StringCatalogue catalogue(nullptr, BuiltinEnglishString);
  for (const auto& [langId, name] : cases) {
    EXPECT_EQ(WizardLanguageForLangId(langId), name) << std::hex << langId;
    // Every answer must be a wizard language of the built-in table.
    EXPECT_GE(catalogue.SkinIndexOfName(WizardLanguageForLangId(langId)), 0);
  }
}

TEST(TextEscapes, TabsLineFeedsAndEarlyStop) {
  EXPECT_EQ(ConvertTextEscapes(u"one\\ntwo"), u"one\ntwo");
  EXPECT_EQ(ConvertTextEscapes(u"\\ta\\n\\n"), u"\ta\n\n");
  EXPECT_EQ(ConvertTextEscapes(u"a\\\\nb\\n"), u"a\\\\nb\\n");
  EXPECT_EQ(ConvertTextEscapes(u"a\\nb\\rc\\nd"), u"a\nb\\rc\\nd");
  EXPECT_EQ(ConvertTextEscapes(u"end\\"), u"end\\");
  EXPECT_EQ(ConvertTextEscapes(u"\\"), u"\\");
  EXPECT_EQ(ConvertTextEscapes(u""), u"");
  EXPECT_EQ(ConvertTextEscapes(u"\\N\\n"), u"\\N\\n");  // escapes are lower case
}

TEST(SetupFolder, EverythingBeforeTheLastBackslash) {
  EXPECT_EQ(SetupFolderOf(u"C:\\Downloads\\Kelto\\setup.exe"), u"C:\\Downloads\\Kelto");
  EXPECT_EQ(SetupFolderOf(u"\\\\server\\share\\setup.exe"), u"\\\\server\\share");
  EXPECT_EQ(SetupFolderOf(u"setup.exe"), u"");
  // The base's other path helpers: one backslash added or taken away, never more.
  EXPECT_EQ(WithTrailingBackslash(L"C:\\Kelto"), L"C:\\Kelto\\");
  EXPECT_EQ(WithTrailingBackslash(L"C:\\Kelto\\"), L"C:\\Kelto\\");
  EXPECT_EQ(WithTrailingBackslash(L""), L"\\");
  EXPECT_EQ(WithoutTrailingBackslash(L"C:\\Kelto\\"), L"C:\\Kelto");
  EXPECT_EQ(WithoutTrailingBackslash(L"C:\\Kelto\\\\"), L"C:\\Kelto\\");
  EXPECT_EQ(WithoutTrailingBackslash(L"C:\\Kelto"), L"C:\\Kelto");
  EXPECT_EQ(WithoutTrailingBackslash(L""), L"");
  EXPECT_EQ(JoinPath(L"C:\\Kelto", L"a.txt"), L"C:\\Kelto\\a.txt");
  EXPECT_EQ(JoinPath(L"C:\\Kelto\\", L"\\a.txt"), L"C:\\Kelto\\a.txt");
  EXPECT_EQ(JoinPath(L"C:", L"a.txt"), L"C:\\a.txt");
  EXPECT_EQ(Wide(u"Fran\u00e7ais"), L"Fran\u00e7ais");
  EXPECT_EQ(Utf16(L"\u65e5\u672c\u8a9e"), u"\u65e5\u672c\u8a9e");
}

TEST_F(CatalogueTest, WithoutDocumentTextsAreBuiltIn) {
  StringCatalogue catalogue = Make();
  EXPECT_EQ(catalogue.text(91), u"Are you sure you want to cancel Kelto Quorbel installation?");
  EXPECT_EQ(catalogue.text(51), u"Destination Location:\r\n");
  EXPECT_EQ(catalogue.text(108), u"");
  EXPECT_EQ(catalogue.text(0), u"");
}

TEST_F(CatalogueTest, DocumentLookupAndFallbacks) {
  folder.Put(u"inst_lang_de_de.xml", LanguageFile("<s id='091' text='Zero-padded'/>"
                                                  "<s id='91' text='Ninety-one'/>"
                                                  "<s id='91' text='Second ninety-one'/>"
                                                  "<s id='18' text=''/>"
                                                  "<any id='17' text='Two\\nlines\\tand tab'/>"
                                                  "<s id='16' text='a\\\\b then \\n stays'/>"
                                                  "<s id='15' text='only here'/>"
                                                  "<s id='8' text='&amp;Abbrechen'/>"
                                                  "text between <s id='7' text='after text'/>"));
  StringCatalogue catalogue = Make();
  catalogue.LoadAtStartup(kFolder, u"");
  catalogue.ReloadByName(u"German");
  ASSERT_TRUE(catalogue.languageDocument());
  EXPECT_EQ(catalogue.text(91), u"Ninety-one");
  EXPECT_EQ(catalogue.text(18), catalogue.BuiltinText(18));
  EXPECT_EQ(catalogue.text(18).substr(0, 10), u"Setup will");
  EXPECT_EQ(catalogue.text(17), u"Two\nlines\tand tab");
  EXPECT_EQ(catalogue.text(16), u"a\\\\b then \\n stays");
  EXPECT_EQ(catalogue.text(15), u"only here");  // not in the built-in table
  EXPECT_EQ(catalogue.text(8), u"&Abbrechen");
  EXPECT_EQ(catalogue.text(7), u"after text");
  EXPECT_EQ(catalogue.text(1), u"Kelto Quorbel Install Wizard");  // absent: built-in
  EXPECT_EQ(catalogue.text(108), u"");
}

TEST_F(CatalogueTest, OnlyTheFirstStringsElementCounts) {
  folder.Put(u"inst_lang_fr_fr.xml",
             "<Lang><Other><s id='5' text='wrong'/></Other>"
             "<Strings><s id='5' text='first'/></Strings>"
             "<Strings><s id='6' text='second'/></Strings></Lang>");
  folder.Put(u"inst_lang_de_de.xml", "<Lang><strings><s id='5' text='lower'/></strings></Lang>");
  StringCatalogue catalogue = Make();
  catalogue.LoadAtStartup(kFolder, u"");
  catalogue.ReloadByName(u"French");
  EXPECT_EQ(catalogue.text(5), u"first");
  EXPECT_EQ(catalogue.text(6), u"<&Back");
  catalogue.ReloadByName(u"German");
  ASSERT_TRUE(catalogue.languageDocument());
  EXPECT_EQ(catalogue.text(5), u"&OK");  // "strings" is not "Strings"
}

TEST_F(CatalogueTest, NoConfigurationMeansEnglishModeZero) {
  StringCatalogue catalogue = Make();
  EXPECT_EQ(catalogue.LoadAtStartup(kFolder, u"French"), 0);
  EXPECT_EQ(catalogue.languageMode(), 0);
  EXPECT_FALSE(catalogue.languageDocument());
  EXPECT_TRUE(catalogue.offeredLanguages().empty());
  ASSERT_EQ(folder.requested.size(), 1u);
  EXPECT_EQ(folder.requested[0], u"C:\\Setup\\LangConfig.xml");
}

TEST_F(CatalogueTest, UnusableConfigurations) {
  const std::vector<std::string> configs = {
      "",                                                  // empty file
      "<LangConfig LangType='1'",                          // truncated: no LangId
      "not xml",                                           // no root
      "<LangConfig><LangId value='40814'/></LangConfig>",  // no LangType
      "<LangConfig LangType='x1'><LangId value='40814'/></LangConfig>",
      Config("3", "40814"),
      Config("0", "40814"),
  };
  for (const std::string& config : configs) {
    FakeFolder local;
    local.Put(u"LangConfig.xml", config);
    local.Put(u"inst_lang_fr_fr.xml", RepoFile("resources/lang/inst_lang_fr_fr.xml"));
    StringCatalogue catalogue(local.Reader(), BuiltinEnglishString);
    EXPECT_EQ(catalogue.LoadAtStartup(kFolder, u"French"), 0) << config;
    EXPECT_FALSE(catalogue.languageDocument()) << config;
    EXPECT_TRUE(catalogue.offeredLanguages().empty()) << config;
    EXPECT_EQ(catalogue.text(8), u"&Cancel") << config;
  }
  FakeFolder local;
  local.Put(u"LangConfig.xml", Config("3", "40814"));
  StringCatalogue catalogue(local.Reader(), BuiltinEnglishString);
  catalogue.LoadAtStartup(kFolder, u"");
  EXPECT_EQ(catalogue.languageMode(), 3);
}

TEST_F(CatalogueTest, FixedRussianUsesItsFileWithTheEnglishSkin) {
  folder.Put(u"LangConfig.xml", Config("1", "40827"));
  StringCatalogue catalogue = Make();
  EXPECT_EQ(catalogue.LoadAtStartup(kFolder, u"German"), 0);
  EXPECT_EQ(catalogue.languageMode(), 1);
  EXPECT_TRUE(catalogue.offeredLanguages().empty());
  ASSERT_TRUE(catalogue.languageDocument());
  EXPECT_EQ(folder.requested.back(), u"C:\\Setup\\inst_lang_ru_ru.xml");
  EXPECT_EQ(catalogue.text(8), u"&\u041E\u0442\u043C\u0435\u043D\u0430");  // &Отмена
  EXPECT_EQ(catalogue.text(60), u"Kelto Quorbel");
}

TEST_F(CatalogueTest, FixedWizardLanguageReportsItsSkin) {
  folder.Put(u"LangConfig.xml", Config("1", "40814"));
  StringCatalogue catalogue = Make();
  EXPECT_EQ(catalogue.LoadAtStartup(kFolder, u""), 1);
  EXPECT_EQ(catalogue.text(17), u"Veuillez s\u00E9lectionner une langue :");

  // A second start-up load does nothing while a document is loaded.
  folder.Put(u"LangConfig.xml", Config("1", "40816"));
  EXPECT_EQ(catalogue.LoadAtStartup(kFolder, u""), -1);
  EXPECT_EQ(catalogue.text(17), u"Veuillez s\u00E9lectionner une langue :");
}

TEST_F(CatalogueTest, FixedLanguageWithoutUsableFile) {
  struct Case {
    std::string value;
    int skinIndex;
  } cases[] = {
      {"40837", 0}, {"40801", 0}, {"", 0}, {"abc", 0}, {"-40802", 0}, {"99999999999999999999", 0},
      {"40819", 3},  // Korean: skin chosen, but its file is missing
  };
  for (const Case& c : cases) {
    FakeFolder local;
    local.Put(u"LangConfig.xml", Config("1", c.value));
    StringCatalogue catalogue(local.Reader(), BuiltinEnglishString);
    EXPECT_EQ(catalogue.LoadAtStartup(kFolder, u""), c.skinIndex) << c.value;
    EXPECT_FALSE(catalogue.languageDocument()) << c.value;
    EXPECT_EQ(catalogue.text(5), u"&OK") << c.value;
  }
  // Leading blanks and trailing junk are read like atoi.
  folder.Put(u"LangConfig.xml", Config("1", " 40816;"));
  StringCatalogue catalogue = Make();
  EXPECT_EQ(catalogue.LoadAtStartup(kFolder, u""), 2);
  EXPECT_TRUE(catalogue.languageDocument());
}

TEST_F(CatalogueTest, EmptyOrCorruptLanguageFileFallsBackSilently) {
  for (const std::string& bytes :
       {std::string(), std::string("<Lang><Strings"), std::string("</Lang>"), std::string("\x00\xFF", 2)}) {
    folder.Put(u"inst_lang_fr_fr.xml", bytes);
    folder.Put(u"LangConfig.xml", Config("1", "40814"));
    StringCatalogue catalogue = Make();
    EXPECT_EQ(catalogue.LoadAtStartup(kFolder, u""), 1);
    EXPECT_EQ(catalogue.text(17), u"Please select a language:");
  }
}

TEST_F(CatalogueTest, ListModeOffersWizardLanguagesInOrder) {
  folder.Put(u"LangConfig.xml", Config("2", "40811,40814,40816"));
  StringCatalogue catalogue = Make();
  // Nothing preferred that is offered: the first offered language is loaded.
  EXPECT_EQ(catalogue.LoadAtStartup(kFolder, u"Korean"), 0);
  EXPECT_EQ(catalogue.languageMode(), 2);
  EXPECT_EQ(catalogue.offeredLanguages(), (std::vector<std::u16string>{u"40811", u"40814", u"40816"}));
  EXPECT_EQ(catalogue.initialOfferedPosition(), 0u);
  EXPECT_EQ(catalogue.OfferedLanguageTexts(), (std::vector<std::u16string>{u"English", u"French", u"German"}));

  // Choosing French switches every text at once, the combo items included.
  EXPECT_EQ(catalogue.SelectOfferedLanguage(1), 1);
  EXPECT_EQ(catalogue.text(17), u"Veuillez s\u00E9lectionner une langue :");
  EXPECT_EQ(catalogue.text(5), u"&OK");
  EXPECT_EQ(catalogue.OfferedLanguageTexts(), (std::vector<std::u16string>{u"Anglais", u"Fran\u00E7ais", u"Allemand"}));

  EXPECT_EQ(catalogue.SelectOfferedLanguage(2), 2);
  EXPECT_EQ(catalogue.text(8), u"&Abbrechen");
  EXPECT_EQ(catalogue.SelectOfferedLanguage(3), -1);  // out of range: unchanged
  EXPECT_EQ(catalogue.text(8), u"&Abbrechen");
}

TEST_F(CatalogueTest, ListModePreselectsTheUserLanguage) {
  folder.Put(u"LangConfig.xml", Config("2", "40811,40814,40816"));
  StringCatalogue catalogue = Make();
  EXPECT_EQ(catalogue.LoadAtStartup(kFolder, u"German"), 2);
  EXPECT_EQ(catalogue.initialOfferedPosition(), 2u);
  // The loaded document is the language the SkinIndex names.
  EXPECT_EQ(catalogue.text(8), u"&Abbrechen");
  EXPECT_EQ(folder.requested.back(), u"C:\\Setup\\inst_lang_de_de.xml");
}

TEST_F(CatalogueTest, ListModeSkipsLanguagesWithoutSkin) {
  folder.Put(u"LangConfig.xml", Config("2", "40811,40802"));
  StringCatalogue catalogue = Make();
  EXPECT_EQ(catalogue.LoadAtStartup(kFolder, u"Arabic"), 0);
  EXPECT_EQ(catalogue.offeredLanguages(), (std::vector<std::u16string>{u"40811"}));
  EXPECT_EQ(catalogue.OfferedLanguageTexts(), (std::vector<std::u16string>{u"English"}));
  // English has no file beside the setup: built-in texts.
  EXPECT_FALSE(catalogue.languageDocument());
  EXPECT_EQ(catalogue.text(17), u"Please select a language:");
}

TEST_F(CatalogueTest, ListModeWithoutAnyWizardLanguage) {
  for (const char* value : {"40802,40827", "", ",", "40836,,40837", "x"}) {
    FakeFolder local;
    local.Put(u"LangConfig.xml", Config("2", value));
    StringCatalogue catalogue(local.Reader(), BuiltinEnglishString);
    EXPECT_EQ(catalogue.LoadAtStartup(kFolder, u"English"), 0) << value;
    EXPECT_EQ(catalogue.languageMode(), 2);
    EXPECT_TRUE(catalogue.offeredLanguages().empty()) << value;
    EXPECT_FALSE(catalogue.languageDocument()) << value;
    EXPECT_EQ(catalogue.SelectOfferedLanguage(0), -1);
  }
}

TEST_F(CatalogueTest, ListModeCorruptFileOfTheChosenLanguage) {
  folder.Put(u"LangConfig.xml", Config("2", "40814,40816,40819"));
  folder.Put(u"inst_lang_de_de.xml", "<Lang><Strings><s id='8' text='x'");
  folder.Put(u"inst_lang_ko_kr.xml", "garbage without a root");
  StringCatalogue catalogue = Make();
  EXPECT_EQ(catalogue.LoadAtStartup(kFolder, u"French"), 1);
  EXPECT_EQ(catalogue.text(8), u"&Annuler");
  // A truncated file still gives the texts it holds; a rootless one none.
  EXPECT_EQ(catalogue.SelectOfferedLanguage(1), 2);
  EXPECT_EQ(catalogue.text(8), u"x");
  EXPECT_EQ(catalogue.SelectOfferedLanguage(2), 3);
  EXPECT_FALSE(catalogue.languageDocument());
  EXPECT_EQ(catalogue.text(8), u"&Cancel");
  EXPECT_EQ(catalogue.OfferedLanguageTexts(), (std::vector<std::u16string>{u"French", u"German", u"Korean"}));
}

TEST_F(CatalogueTest, ReloadByNameMatchesExactly) {
  StringCatalogue catalogue = Make();
  catalogue.LoadAtStartup(kFolder, u"");
  catalogue.ReloadByName(u"French");
  ASSERT_TRUE(catalogue.languageDocument());
  catalogue.ReloadByName(u"french");
  EXPECT_FALSE(catalogue.languageDocument());
  catalogue.ReloadByName(u"German");
  ASSERT_TRUE(catalogue.languageDocument());
  catalogue.ReloadByName(u"");
  EXPECT_FALSE(catalogue.languageDocument());
  catalogue.LoadFile(u"inst_lang_ru_ru.xml");
  EXPECT_TRUE(catalogue.languageDocument());
  catalogue.LoadFile(u"");
  EXPECT_FALSE(catalogue.languageDocument());
  catalogue.LoadFile(u"inst_lang_ru_ru.xml");
  catalogue.Unload();
  EXPECT_FALSE(catalogue.languageDocument());
}

// The table is written from the resource script when the tree is configured: these are the texts whose
// quoting and escapes the resource compiler reads in its own way.
TEST(BuiltinTable, TextsAsTheResourceCompilerReadsThem) {
  EXPECT_NE(RepoFile("resources/strings_en.rc").find("#pragma code_page(65001)"), std::string::npos);
  EXPECT_EQ(BuiltinEnglishString(kTextCaption), u"Kelto Quorbel Install Wizard");
  EXPECT_EQ(BuiltinEnglishString(kTextDisagree), u"  I &don't agree");
  EXPECT_EQ(BuiltinEnglishString(kTextSummaryFolderLine), u"   %s\r\n\r\n");
  EXPECT_EQ(BuiltinEnglishString(kTextViewReadme), u"View \"Readme.txt\"");
  EXPECT_EQ(BuiltinEnglishString(kTextSummaryDestination), u"Destination Location:\r\n");
  EXPECT_NE(BuiltinEnglishString(kTextCantOpenPrinter).find(u"Printer. \nPlease close"), std::u16string::npos);
  EXPECT_EQ(BuiltinEnglishString(15), u"");
  EXPECT_EQ(BuiltinEnglishString(0), u"");
}

// The names of core/text_ids.h and their numbers, read from the header: every line of the enum is a name
// with a number, a comment or blank.
std::map<std::string, unsigned> NamedTextIds() {
  std::istringstream lines(RepoFile("core/text_ids.h"));
  const std::regex entry(R"(\s*(kText\w+) = (\d+),\s*(//.*)?)");
  const std::regex other(R"(\s*(//.*)?)");
  std::map<std::string, unsigned> names;
  std::string line;
  bool inside = false;
  while (std::getline(lines, line)) {
    if (!inside) {
      inside = line.rfind("enum TextId", 0) == 0;
      continue;
    }
    if (line == "};") return names;
    std::smatch match;
    if (std::regex_match(line, match, entry)) {
      names[match[1]] = static_cast<unsigned>(std::stoul(match[2]));
    } else if (!std::regex_match(line, other)) {
      ADD_FAILURE() << "a line of the text IDs this test cannot read: " << line;
    }
  }
  ADD_FAILURE() << "no end of enum TextId in core/text_ids.h";
  return names;
}

// A name without an English text would show an empty control or message; two names for one number hide
// a number given twice by mistake.
TEST(BuiltinTable, EveryNamedTextHasAnEnglishTextAndItsOwnNumber) {
  const std::map<std::string, unsigned> names = NamedTextIds();
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.at("kTextFirstLanguageName"), kTextFirstLanguageName);
  std::map<unsigned, std::string> byNumber;
  for (const auto& [name, id] : names) {
    EXPECT_FALSE(BuiltinEnglishString(id).empty()) << name << " = " << id;
    const auto added = byNumber.emplace(id, name);
    EXPECT_TRUE(added.second) << name << " and " << added.first->second << " are both " << id;
  }
  // The texts named through their first one.
  for (int k = 0; k < kInstallerLanguages; ++k) EXPECT_FALSE(BuiltinEnglishString(kTextFirstLanguageName + k).empty());
  for (int k = 0; k < kWelcomeFeatureLines; ++k) EXPECT_FALSE(BuiltinEnglishString(kTextFirstFeature + k).empty());
}

size_t Count(const std::u16string& text, const std::u16string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::u16string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(LanguageFiles, CompleteAndConsistentWithTheEnglishTable) {
  for (const char* language : {"French", "German", "Russian"}) {
    FakeFolder folder;
    const std::u16string name(language, language + std::string(language).size());
    const std::u16string file = LanguageCatalogue::FileOfName(name);
    folder.Put(file, RepoFile("resources/lang/" + std::string(file.begin(), file.end())));
    StringCatalogue catalogue(folder.Reader(), BuiltinEnglishString);
    catalogue.LoadAtStartup(kFolder, u"");
    catalogue.ReloadByName(name);
    ASSERT_TRUE(catalogue.languageDocument()) << language;
    const XmlElement* strings = catalogue.languageDocument()->FindElement("", "Strings", 0);
    ASSERT_TRUE(strings) << language;

    std::set<unsigned> ids;
    for (size_t i = 0; i < strings->ChildCount(); ++i) {
      const XmlElement* entry = strings->ChildElement(i);
      ASSERT_TRUE(entry) << language;
      EXPECT_FALSE(entry->AttrValue("text").empty()) << language << " " << i;
      EXPECT_TRUE(ids.insert(static_cast<unsigned>(ParseCInteger(entry->AttrValue("id")))).second);
    }
    std::set<unsigned> english;
    for (size_t i = 0; i < kBuiltinEnglishStringCount; ++i) english.insert(kBuiltinEnglishStrings[i].id);
    EXPECT_EQ(ids, english) << language;

    std::set<std::u16string> languageNames;
    for (size_t i = 0; i < kBuiltinEnglishStringCount; ++i) {
      const unsigned id = kBuiltinEnglishStrings[i].id;
      const std::u16string englishText = kBuiltinEnglishStrings[i].text;
      const std::u16string text = catalogue.text(id);
      SCOPED_TRACE(std::string(language) + " text " + std::to_string(id));
      EXPECT_EQ(Count(text, u"\n"), Count(englishText, u"\n"));
      EXPECT_EQ(Count(text, u"\r\n"), Count(englishText, u"\r\n"));
      EXPECT_EQ(Count(text, u"\\"), 0u);  // every escape converted
      EXPECT_EQ(Count(text, u"%s"), Count(englishText, u"%s"));
      EXPECT_EQ(Count(text, u"&"), Count(englishText, u"&"));
      EXPECT_EQ(Count(text, u"Kelto Quorbel"), Count(englishText, u"Kelto Quorbel"));
      EXPECT_EQ(text[0] == u' ', englishText[0] == u' ');
      const bool languageName = id >= kTextFirstLanguageName && id < kTextFirstLanguageName + kInstallerLanguages;
      if (languageName) languageNames.insert(text);
      if (id == kTextLicenceStandIn || languageName) {
        EXPECT_NE(text, englishText);
      }
    }
    EXPECT_EQ(languageNames.size(), static_cast<size_t>(kInstallerLanguages)) << language;
  }
}

}  // namespace

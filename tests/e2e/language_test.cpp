// The installer language: LangConfig.xml beside the setup, the language dialog, and the fallbacks.
#include <gtest/gtest.h>

#include "resources/ids.h"
#include "tests/driver/system_state.h"
#include "tests/driver/walk.h"
#include "tests/e2e/wizard_session.h"

namespace {

using gui::Driver;

const wchar_t kFolder[] = L"C:\\kelto";

class Languages : public e2e::SetupFixture {
 protected:
  void SetUp() override {
    SetupFixture::SetUp();
    LayLanguageFiles({L"inst_lang_fr_fr.xml", L"inst_lang_de_de.xml", L"inst_lang_ru_ru.xml"});
  }
  void TearDown() override {
    SetupFixture::TearDown();
    for (const wchar_t* name :
         {L"LangConfig.xml", L"inst_lang_fr_fr.xml", L"inst_lang_de_de.xml", L"inst_lang_ru_ru.xml"}) {
      ::DeleteFileW(gui::JoinPath(kFolder, name).c_str());
    }
  }
  static void Config(const char* xml) { ASSERT_TRUE(sys::WriteText(gui::JoinPath(kFolder, L"LangConfig.xml"), xml)); }
  static std::vector<std::wstring> ComboItems(HWND dialog) {
    HWND combo = ::GetDlgItem(dialog, IDC_LANGUAGE_LIST);
    std::vector<std::wstring> items;
    const LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      wchar_t text[256] = L"";
      ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      items.push_back(text);
    }
    return items;
  }
};

TEST_F(Languages, FixedLanguageSpeaksItsFileWithoutADialog) {
  Config("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<config LangType=\"1\"><LangId value=\"40827\"/></config>\n");
  Start();
  HWND welcome = driver_.WaitForPage();
  ASSERT_NE(welcome, nullptr);
  EXPECT_EQ(driver_.lastPage(), "Welcome") << "no language dialog in mode 1";
  EXPECT_EQ(Driver::ItemText(welcome, IDC_WELCOME_INTRO),
            L"Программа установит Kelto Quorbel на ваш компьютер. Чтобы продолжить, нажмите «Далее».");
  Driver::Screenshot(welcome, Shot(L"Welcome"));
  // Russian has no skin of its own: the licence page shows the English agreement, not text 97.
  Driver::Click(welcome, IDC_WELCOME_NEXT);
  HWND licence = driver_.WaitForNamedPage("Licence");
  ASSERT_NE(licence, nullptr);
  EXPECT_NE(Driver::ItemText(licence, IDC_LICENCE_TEXT).find(L"LICENSE"), std::wstring::npos);
}

TEST_F(Languages, ListModeOffersTheWizardLanguagesAndSwitchesAtOnce) {
  Config("<LangConfig LangType=\"2\"><LangId value=\"40811,40814,40816\"/></LangConfig>");
  Start();
  HWND dialog = driver_.WaitForPage();
  ASSERT_NE(dialog, nullptr);
  ASSERT_EQ(driver_.lastPage(), "Language");
  EXPECT_EQ(ComboItems(dialog), (std::vector<std::wstring>{L"English", L"French", L"German"}));
  EXPECT_EQ(Driver::ItemText(dialog, IDC_LANGUAGE_PROMPT), L"Please select a language:");
  EXPECT_FALSE(Driver::IsVisible(dialog, IDC_LANGUAGE_CANCEL)) << "the dialog cannot be cancelled";
  Driver::Screenshot(dialog, Shot(L"LanguageEnglish"));

  // Escape and the close box do nothing.
  Driver::PressEscape(dialog);
  Driver::CloseBox(dialog);
  ::Sleep(300);
  ASSERT_TRUE(::IsWindowVisible(dialog));

  Driver::SelectComboItem(dialog, IDC_LANGUAGE_LIST, 1);
  ::Sleep(300);
  EXPECT_EQ(Driver::ItemText(dialog, IDC_LANGUAGE_PROMPT), L"Veuillez sélectionner une langue :");
  EXPECT_EQ(Driver::Caption(dialog), L"Assistant d'installation de Kelto Quorbel");
  EXPECT_EQ(ComboItems(dialog), (std::vector<std::wstring>{L"Anglais", L"Français", L"Allemand"}));
  EXPECT_EQ(::SendDlgItemMessageW(dialog, IDC_LANGUAGE_LIST, CB_GETCURSEL, 0, 0), 1);
  Driver::Screenshot(dialog, Shot(L"LanguageFrench"));

  Driver::Click(dialog, IDC_LANGUAGE_OK);
  HWND welcome = driver_.WaitForNamedPage("Welcome");
  ASSERT_NE(welcome, nullptr);
  EXPECT_EQ(Driver::ItemText(welcome, IDC_WELCOME_INTRO),
            L"Le programme d'installation va installer Kelto Quorbel sur votre ordinateur. Pour continuer, "
            L"cliquez sur Suivant.");
  Driver::Screenshot(welcome, Shot(L"WelcomeFrench"));
  // SkinIndex 1: the licence page shows the French text 97 instead of the English agreement.
  Driver::Click(welcome, IDC_WELCOME_NEXT);
  HWND licence = driver_.WaitForNamedPage("Licence");
  ASSERT_NE(licence, nullptr);
  EXPECT_EQ(Driver::ItemText(licence, IDC_LICENCE_TEXT), L"Ceci est le contrat de licence utilisateur final (CLUF).");
}

TEST_F(Languages, ListModeSkipsLanguagesWithoutASkin) {
  Config("<c LangType=\"2\"><LangId value=\"40811,40802\"/></c>");
  Start();
  HWND dialog = driver_.WaitForNamedPage("Language");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ComboItems(dialog), (std::vector<std::wstring>{L"English"}));
  Driver::Click(dialog, IDC_LANGUAGE_OK);
  HWND welcome = driver_.WaitForNamedPage("Welcome");
  ASSERT_NE(welcome, nullptr);
  EXPECT_EQ(Driver::ItemText(welcome, IDC_WELCOME_INTRO),
            L"Setup will install Kelto Quorbel on your computer. To continue, please click Next.");
}

TEST_F(Languages, CorruptLanguageFileFallsBackToEnglishSilently) {
  Config("<c LangType=\"1\"><LangId value=\"40814\"/></c>");
  ASSERT_TRUE(sys::WriteText(gui::JoinPath(kFolder, L"inst_lang_fr_fr.xml"), "\xEF\xBB\xBF<<<not xml at all\x01\x02"));
  Start();
  HWND welcome = driver_.WaitForPage();
  ASSERT_NE(welcome, nullptr);
  EXPECT_EQ(driver_.lastPage(), "Welcome");
  EXPECT_EQ(driver_.FindMessageBox(), nullptr);
  EXPECT_EQ(Driver::ItemText(welcome, IDC_WELCOME_INTRO),
            L"Setup will install Kelto Quorbel on your computer. To continue, please click Next.");
  EXPECT_EQ(Driver::Caption(welcome), L"Kelto Quorbel Install Wizard");
}

}  // namespace

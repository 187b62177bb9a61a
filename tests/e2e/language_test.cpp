// The installer language: LangConfig.xml beside the setup, the language dialog, and the fallbacks.
#include <gtest/gtest.h>

#include <cstdio>

#include "resources/ids.h"
#include "tests/driver/walk.h"

namespace {

using gui::Driver;

const wchar_t kFolder[] = L"C:\\kelto";

void WriteUtf8(const std::wstring& path, const char* text) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  ASSERT_NE(f, nullptr);
  fputs(text, f);
  fclose(f);
}

class Languages : public ::testing::Test {
 protected:
  void SetUp() override {
    gui::ForgetInstallation();
    setup_ = gui::StageSetup(gui::JoinPath(gui::ModuleFolder(), L"setup.exe"));
    for (const wchar_t* name : {L"inst_lang_fr_fr.xml", L"inst_lang_de_de.xml", L"inst_lang_ru_ru.xml"}) {
      const std::wstring target = gui::JoinPath(kFolder, name);
      ASSERT_TRUE(::CopyFileW(gui::JoinPath(gui::ModuleFolder(), std::wstring(L"lang\\") + name).c_str(),
                              target.c_str(), FALSE));
    }
  }
  void TearDown() override {
    driver_.Kill();
    for (const wchar_t* name :
         {L"LangConfig.xml", L"inst_lang_fr_fr.xml", L"inst_lang_de_de.xml", L"inst_lang_ru_ru.xml"}) {
      ::DeleteFileW(gui::JoinPath(kFolder, name).c_str());
    }
  }
  void Config(const char* xml) { WriteUtf8(gui::JoinPath(kFolder, L"LangConfig.xml"), xml); }
  std::wstring Shot(const wchar_t* name) const {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return gui::JoinPath(gui::ModuleFolder(),
                         L"screenshots\\e2e\\Languages." + gui::Widen(info->name()) + L"\\" + name + L".png");
  }
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

  std::wstring setup_;
  Driver driver_;
};

TEST_F(Languages, FixedLanguageSpeaksItsFileWithoutADialog) {
  Config("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<config LangType=\"1\"><LangId value=\"40827\"/></config>\n");
  ASSERT_TRUE(driver_.Start(setup_));
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
  ASSERT_TRUE(driver_.Start(setup_));
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
  ASSERT_TRUE(driver_.Start(setup_));
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
  WriteUtf8(gui::JoinPath(kFolder, L"inst_lang_fr_fr.xml"), "\xEF\xBB\xBF<<<not xml at all\x01\x02");
  ASSERT_TRUE(driver_.Start(setup_));
  HWND welcome = driver_.WaitForPage();
  ASSERT_NE(welcome, nullptr);
  EXPECT_EQ(driver_.lastPage(), "Welcome");
  EXPECT_EQ(driver_.FindMessageBox(), nullptr);
  EXPECT_EQ(Driver::ItemText(welcome, IDC_WELCOME_INTRO),
            L"Setup will install Kelto Quorbel on your computer. To continue, please click Next.");
  EXPECT_EQ(Driver::Caption(welcome), L"Kelto Quorbel Install Wizard");
}

}  // namespace

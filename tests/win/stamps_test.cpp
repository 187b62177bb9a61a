// Stamps, the product's extra language files and the OCR add-on against the staged stand-in payload, with a
// LangConfig.xml and an "OCR Add-on" folder laid into a setup folder of the test's own.
#include "integration/language_config.h"

#include <gtest/gtest.h>

#include "component_test_helpers.h"
#include "integration/component_registry.h"

namespace {

using namespace component_test;

std::vector<std::wstring> WithPrefix(const std::wstring& prefix, const std::vector<std::wstring>& names) {
  std::vector<std::wstring> out;
  for (const std::wstring& name : names) out.push_back(prefix + name);
  return out;
}

std::vector<std::wstring> Joined(std::vector<std::wstring> a, const std::vector<std::wstring>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return Sorted(a);
}

const std::vector<std::wstring> kStandard = {L"Approved.pdf",  L"Completed.pdf", L"Confidential.pdf", L"Draft.pdf",
                                             L"Emergency.pdf", L"Expired.pdf",   L"Final.pdf",        L"Received.pdf",
                                             L"Reviewed.pdf",  L"Revised.pdf",   L"Verified.pdf",     L"Void.pdf"};
const std::vector<std::wstring> kSignHere = {L"Accepted.pdf", L"Initial.pdf", L"Rejected.pdf", L"Sign Here.pdf",
                                             L"Witness.pdf"};
const std::vector<std::wstring> kStandardJapanese = {
    L"AtOnce.pdf",    L"Circulate.pdf",    L"Confidential.pdf", L"Draft.pdf",  L"ForPublic.pdf",
    L"Important.pdf", L"InternalOnly.pdf", L"Sample.pdf",       L"Secret.pdf", L"Special Secret.pdf"};
const std::vector<std::wstring> kSignHereJapanese = {L"Approval.pdf", L"Initial.pdf", L"Rejection.pdf", L"Signhere.pdf",
                                                     L"Witness.pdf"};

std::vector<std::wstring> StampTree(const std::vector<std::wstring>& standard, const std::vector<std::wstring>& sign) {
  return Joined(Joined({L"Stamps\\", L"Stamps\\Standard Stamps\\", L"Stamps\\Sign Here\\"},
                       WithPrefix(L"Stamps\\Standard Stamps\\", standard)),
                WithPrefix(L"Stamps\\Sign Here\\", sign));
}

class ExtrasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::wstring& folder : {source_, install_, setup_}) {
      ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    }
    TakeStaged(source_);
  }

  void Configure(ComponentRegistry& components, int skinIndex) {
    components.SetProgress(&progress_, 40, 70);
    components.SetSourceFolder(source_);
    components.SetInstallFolder(install_);
    components.SetSkinIndex(skinIndex);
    components.SetSetupFolder(setup_);
    components.SetFailureHook(failures_.hook());
  }
  ComponentRegistry& Components(int skinIndex) {
    Configure(components_, skinIndex);
    return components_;
  }

  void LangConfig(const std::string& type, const std::string& ids) {
    ASSERT_TRUE(WriteText(setup_ + L"\\LangConfig.xml",
                          "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<LangConfig LangType=\"" + type +
                              "\">\r\n  <LangId value=\"" + ids + "\"/>\r\n</LangConfig>\r\n"));
  }

  Sandbox sandbox_{L"extras"};
  std::wstring source_ = sandbox_.path() + L"\\package";
  std::wstring install_ = sandbox_.path() + L"\\Kelto Quorbel";
  std::wstring setup_ = sandbox_.path() + L"\\setup";
  RecordingProgress progress_;
  FailureLog failures_;
  ComponentRegistry components_;
};

// --- stamps ---

TEST_F(ExtrasTest, StampsFollowTheInstallerLanguage) {
  EXPECT_EQ(Components(0).Install(RowOf(&ComponentRegistry::InstallStamps)), 1);
  EXPECT_EQ(Tree(install_), StampTree(kStandard, kSignHere));
  EXPECT_EQ(progress_.positions(), std::vector<std::wstring>{L"65"});
  EXPECT_EQ(ReadText(install_ + L"\\Stamps\\Sign Here\\Sign Here.pdf"), ReadText(source_ + L"\\Sign Here.pdf"));
  EXPECT_EQ(Components(0).RemoveStamps(), 1);
  EXPECT_EQ(Tree(install_), std::vector<std::wstring>{});

  EXPECT_EQ(Components(4).InstallStamps(), 1);
  EXPECT_EQ(Tree(install_), StampTree(kStandardJapanese, kSignHereJapanese));
  EXPECT_TRUE(failures_.reports.empty());
}

TEST_F(ExtrasTest, JapaneseStampsMissingFromThePackageFailSilently) {
  for (const std::wstring& name : Joined(kStandardJapanese, kSignHereJapanese)) {
    ::DeleteFileW((source_ + L"\\" + name).c_str());
  }
  EXPECT_EQ(Components(4).Install(RowOf(&ComponentRegistry::InstallStamps)), 1);
  EXPECT_EQ(Tree(install_), StampTree({}, {}));
  EXPECT_EQ(failures_.count(L"Stamps: Copy stamps files failed!"), 15u);
  EXPECT_EQ(progress_.positions(), std::vector<std::wstring>{L"65"});
}

TEST_F(ExtrasTest, StampRemovalKeepsTheUsersOwnFilesAndTheirFolder) {
  Components(0).InstallStamps();
  ASSERT_TRUE(WriteText(install_ + L"\\Stamps\\Standard Stamps\\my notes.txt", "mine"));
  // Its 8.3 alias ends in .PDF; the pattern must not reach it through that.
  ASSERT_TRUE(WriteText(install_ + L"\\Stamps\\Standard Stamps\\draft.pdfx", "mine"));
  EXPECT_EQ(components_.RemoveStamps(), 1);
  EXPECT_EQ(Tree(install_), (std::vector<std::wstring>{L"Stamps\\", L"Stamps\\Standard Stamps\\",
                                                       L"Stamps\\Standard Stamps\\draft.pdfx",
                                                       L"Stamps\\Standard Stamps\\my notes.txt"}));
  EXPECT_EQ(failures_.count(L"Stamps: Delete stamps default directory failed!"), 1u);
  EXPECT_EQ(failures_.count(L"Stamps: Delete stamps directory failed!"), 1u);
}

// --- language files ---

TEST_F(ExtrasTest, EnglishMakesNoLanguageFolderEvenWithAConfiguration) {
  LangConfig("2", "40814,40816");
  EXPECT_EQ(Components(0).Install(RowOf(&ComponentRegistry::InstallLanguageFiles)), 1);
  EXPECT_EQ(Tree(install_), std::vector<std::wstring>{});
  EXPECT_TRUE(components_.extraLanguages().empty());
  EXPECT_TRUE(progress_.positions().empty());
}

TEST_F(ExtrasTest, TwoListedLanguagesCopyEightFiles) {
  LangConfig("2", "40814,40816");
  ASSERT_EQ(Components(1).InstallOnDemandPlugin(), 1);
  const std::vector<std::wstring> before = Tree(install_);
  EXPECT_EQ(components_.Install(RowOf(&ComponentRegistry::InstallLanguageFiles)), 1);
  EXPECT_EQ(components_.extraLanguages(), (std::vector<std::wstring>{L"French", L"German"}));
  const std::vector<std::wstring> added = {L"lang\\",
                                           L"lang\\kqmcreator_lang_fr_fr.xml",
                                           L"lang\\uninst_lang_fr_fr.xml",
                                           L"lang\\lang_fr_fr.xml",
                                           L"plugins\\RiRovozeVA\\OnDemandPluginlang_fr_fr.xml",
                                           L"lang\\kqmcreator_lang_de_de.xml",
                                           L"lang\\uninst_lang_de_de.xml",
                                           L"lang\\lang_de_de.xml",
                                           L"plugins\\RiRovozeVA\\OnDemandPluginlang_de_de.xml"};
  EXPECT_EQ(Tree(install_), Joined(before, added));
  EXPECT_EQ(ReadText(install_ + L"\\lang\\uninst_lang_de_de.xml"), ReadText(source_ + L"\\uninst_lang_de_de.xml"));
  EXPECT_EQ(progress_.positions().back(), L"70");
  EXPECT_TRUE(failures_.reports.empty());

  // Removal takes the language files and their folder, and leaves the download plug-in alone.
  EXPECT_EQ(Components(0).RemoveLanguageFiles(), 1);
  EXPECT_EQ(Tree(install_), before);
}

TEST_F(ExtrasTest, IdPastTheTableGivesAnEmptySuffixAndSilentFailures) {
  LangConfig("1", "40836");
  EXPECT_EQ(Components(3).InstallLanguageFiles(), 1);
  EXPECT_EQ(components_.extraLanguages(), std::vector<std::wstring>{L"Ireland"});
  EXPECT_TRUE(Exists(install_ + L"\\lang\\lang_ga_ie.xml"));

  LangConfig("1", "40837");
  ComponentRegistry fresh;
  Configure(fresh, 3);
  failures_.reports.clear();
  EXPECT_EQ(fresh.InstallLanguageFiles(), 1);
  EXPECT_EQ(fresh.extraLanguages(), std::vector<std::wstring>{L""});
  EXPECT_EQ(failures_.count(L"language: Copy language files failed!"), 4u);
}

TEST_F(ExtrasTest, WithoutAConfigurationOnlyTheFolderIsMade) {
  EXPECT_EQ(Components(5).Install(RowOf(&ComponentRegistry::InstallLanguageFiles)), 1);
  EXPECT_EQ(Tree(install_), std::vector<std::wstring>{L"lang\\"});
  EXPECT_EQ(progress_.positions(), std::vector<std::wstring>{L"70"});
}

TEST(LanguagesOfConfig, ReadsTypeOneAndTypeTwoListsAndSkipsEmptyEntries) {
  const auto config = [](const char* type, const char* ids) {
    return std::string("<LangConfig LangType=\"") + type + "\"><LangId value=\"" + ids + "\"/></LangConfig>";
  };
  EXPECT_EQ(LanguagesOfConfig(config("1", "40827")), std::vector<std::wstring>{L"Russian"});
  EXPECT_EQ(LanguagesOfConfig(config("1", "40802")), std::vector<std::wstring>{L"Arabic"});
  EXPECT_EQ(LanguagesOfConfig(config("1", "40801")), std::vector<std::wstring>{L""});
  EXPECT_EQ(LanguagesOfConfig(config("2", "40814,40816")), (std::vector<std::wstring>{L"French", L"German"}));
  EXPECT_EQ(LanguagesOfConfig(config("2", ",40814,,40816,")), (std::vector<std::wstring>{L"French", L"German"}));
  EXPECT_EQ(LanguagesOfConfig(config("2", "40811")), std::vector<std::wstring>{L"English"});
  EXPECT_EQ(LanguagesOfConfig(config("2", "")), std::vector<std::wstring>{});
  EXPECT_EQ(LanguagesOfConfig(config("2", "99999999999999999999,x")), (std::vector<std::wstring>{L"", L""}));
  EXPECT_EQ(LanguagesOfConfig(config("3", "40814")), std::vector<std::wstring>{});
  // Type 1 always names one language, an empty one without a "LangId".
  EXPECT_EQ(LanguagesOfConfig("<LangConfig LangType=\"1\"/>"), std::vector<std::wstring>{L""});
  EXPECT_EQ(LanguagesOfConfig("not a document"), std::vector<std::wstring>{});
  EXPECT_EQ(LanguagesOfConfig(""), std::vector<std::wstring>{});
}

// --- OCR add-on ---

class OcrTest : public ExtrasTest {
 protected:
  void AddOn(const std::vector<std::wstring>& names) {
    ASSERT_TRUE(::CreateDirectoryW(addOn_.c_str(), nullptr));
    for (const std::wstring& name : names) ASSERT_TRUE(WriteText(addOn_ + L"\\" + name, Narrow(name)));
  }
  std::wstring addOn_ = setup_ + L"\\OCR Add-on";
};

TEST_F(OcrTest, OnlyTheTwoFixedFilesInstallWithAnEmptySubFolder) {
  AddOn({L"KT_Abbyy_OCR.Dll", L"UpdaterInfo.xml"});
  EXPECT_EQ(Components(0).InstallOcrAddon(), 1);
  EXPECT_EQ(Tree(install_),
            (std::vector<std::wstring>{L"UpdaterInfo.xml", L"plugins\\", L"plugins\\OCR\\",
                                       L"plugins\\OCR\\KT_Abbyy_OCR.Dll", L"plugins\\OCR\\KT_Abbyy_OCR\\"}));
  EXPECT_EQ(ReadText(install_ + L"\\UpdaterInfo.xml"), "UpdaterInfo.xml");
  EXPECT_TRUE(progress_.positions().empty());
}

TEST_F(OcrTest, OtherFilesGoIntoTheModulesFolderAndRemovalTakesThemAll) {
  AddOn({L"kt_abbyy_ocr.dll", L"UpdaterInfo.xml", L"engine.dat", L"fonts.bin"});
  EXPECT_EQ(Components(0).InstallOcrAddon(), 1);
  EXPECT_EQ(Tree(install_ + L"\\plugins\\OCR\\KT_Abbyy_OCR"), (std::vector<std::wstring>{L"engine.dat", L"fonts.bin"}));

  EXPECT_EQ(components_.RemoveOcrAddon(), 1);
  EXPECT_EQ(Tree(install_), std::vector<std::wstring>{L"plugins\\"});
  EXPECT_TRUE(failures_.reports.empty());
}

TEST_F(OcrTest, WithoutTheFolderTheInstallFailsAtItsFirstCopyAndTheUndoClearsAnEarlierInstall) {
  AddOn({L"KT_Abbyy_OCR.Dll", L"UpdaterInfo.xml", L"engine.dat"});
  ASSERT_EQ(Components(0).InstallOcrAddon(), 1);
  RemoveTree(addOn_);

  ComponentRegistry later;
  later.SetSourceFolder(source_);
  later.SetInstallFolder(install_);
  later.SetSetupFolder(setup_ + L"\\");
  EXPECT_EQ(later.InstallOcrAddon(), 0);
  EXPECT_TRUE(IsFolder(install_ + L"\\plugins\\OCR\\KT_Abbyy_OCR"));
  EXPECT_EQ(later.RemoveOcrAddon(), 1);
  EXPECT_EQ(Tree(install_), std::vector<std::wstring>{L"plugins\\"});
}

// A link planted where the modules folder goes (the install folder outside the program-files folders may be
// open to every user) is never followed: the folder it leads to keeps its files and gets none of the add-on's,
// whether the add-on is there or not (then its first copy fails and the undo runs, as during every install).
TEST_F(OcrTest, ALinkInPlaceOfTheModulesFolderIsLeftAloneWithEverythingBehindIt) {
  const std::wstring outside = sandbox_.path() + L"\\outside";
  for (const bool addOn : {true, false}) {
    SCOPED_TRACE(addOn ? "with the add-on" : "without the add-on");
    MakeFolders(outside);
    ASSERT_TRUE(WriteText(outside + L"\\keep.dat", "keep"));
    ASSERT_TRUE(WriteText(outside + L"\\engine.dat", "theirs"));
    MakeFolders(install_ + L"\\plugins\\OCR");
    const std::wstring link = install_ + L"\\plugins\\OCR\\KT_Abbyy_OCR";
    if (RunningUnderWine()) {
      ASSERT_TRUE(MakeUnixLink(L"../../../outside", link));
    } else {
      ASSERT_TRUE(::CreateSymbolicLinkW(link.c_str(), outside.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY));
    }
    if (addOn) AddOn({L"KT_Abbyy_OCR.Dll", L"UpdaterInfo.xml", L"engine.dat", L"fonts.bin"});
    ComponentRegistry components;
    Configure(components, 0);
    components.Install(RowOf(&ComponentRegistry::InstallOcrAddon));
    components.RemoveOcrAddon();  // the built-in removal's turn
    EXPECT_EQ(Tree(outside), (std::vector<std::wstring>{L"engine.dat", L"keep.dat"}));
    EXPECT_EQ(ReadText(outside + L"\\keep.dat"), "keep");
    EXPECT_EQ(ReadText(outside + L"\\engine.dat"), "theirs");
    if (RunningUnderWine()) {
      ASSERT_TRUE(RemoveOnUnixSide(install_));
      ASSERT_TRUE(RemoveOnUnixSide(addOn_));
    } else {
      RemoveTree(install_);
      RemoveTree(addOn_);
    }
    MakeFolders(install_);
  }
  RemoveTree(outside);
}

TEST_F(OcrTest, AFolderInsideTheAddOnFailsTheInstall) {
  AddOn({L"KT_Abbyy_OCR.Dll", L"UpdaterInfo.xml"});
  ASSERT_TRUE(::CreateDirectoryW((addOn_ + L"\\extra").c_str(), nullptr));
  EXPECT_EQ(Components(0).InstallOcrAddon(), 0);
  components_.RemoveOcrAddon();
  EXPECT_EQ(Tree(install_), std::vector<std::wstring>{L"plugins\\"});
}

}  // namespace

// The five add-on components against the staged stand-in payload: their "Updates List" records, their files,
// the progress they report and the undo that answers a failed install.
#include "integration/component_registry.h"

#include <gtest/gtest.h>

#include "component_test_helpers.h"
#include "tests/driver/system_state.h"

namespace {

using namespace component_test;

const wchar_t kCjk[] = L"Eastern Asian Language Support";
const wchar_t kDecoders[] = L"JPEG2000 and JBIG2 Image Decoders";
const wchar_t kSpellCheck[] = L"Kelto Spell Check Language";
const wchar_t kBrowserPlugin[] = L"Firefox Plugin";
const wchar_t kOnDemand[] = L"RiRovozeVA";
const wchar_t* const kComponents[] = {kCjk, kDecoders, kSpellCheck, kBrowserPlugin, kOnDemand};

const wchar_t* const kDictionaries[] = {L"accent.tlx",  L"correct.tlx", L"ssceam.tlx",  L"ssceam2.clx", L"sscebr.tlx",
                                        L"sscebr2.clx", L"ssceca.tlx",  L"ssceca2.clx", L"tech.tlx",    L"userdic.tlx"};

using Values = std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>>;

std::wstring RecordKey(const std::wstring& component) { return kUpdatesListKey + component; }

void RemoveUpdatesList() {
  std::wstring key = kUpdatesListKey;
  key.pop_back();
  DeleteKeyAndEmptyParents(HKEY_CURRENT_USER, key, L"Software");
}

// What each record must hold, value for value, for an install into `folder`.
std::map<std::wstring, Values> ExpectedRecords(const std::wstring& folder, const std::wstring& languageSuffix) {
  std::map<std::wstring, Values> records;
  records[kCjk] = {{L"Name", Sz(kCjk)}, {L"Version", Sz(L"2.0.2.0914")}, {L"SetupPath", Sz(folder + L"\\kpdfcjk.bin")}};
  records[kDecoders] = {
      {L"Name", Sz(kDecoders)}, {L"Version", Sz(L"2.0.2009.616")}, {L"SetupPath", Sz(folder + L"\\ktdecod1.dll")}};
  Values& spell = records[kSpellCheck];
  spell = {{L"Name", Sz(kSpellCheck)}, {L"Version", Sz(L"1.0.2007.2023")}};
  for (int i = 0; i < 10; ++i) {
    spell[L"SetupPath" + std::to_wstring(i + 1)] = Sz(folder + L"\\lex\\" + kDictionaries[i]);
  }
  records[kBrowserPlugin] = {{L"Name", Sz(kBrowserPlugin)}, {L"Version", Sz(L"1.0.2009.0417")}};
  const std::wstring plugin = folder + L"\\plugins\\RiRovozeVA\\";
  records[kOnDemand] = {{L"Name", Sz(kOnDemand)},
                        {L"Version", Sz(L"1.0.2009.0813")},
                        {L"SetupPath1", Sz(plugin + L"OnDemandPlugin.dll")},
                        {L"SetupPath2", Sz(plugin + L"OnDemandPlugin" + languageSuffix)},
                        {L"SetupPath3", Sz(plugin + L"curl\\curl.exe")},
                        {L"SetupPath4", Sz(plugin + L"curl\\libcurl.dll")},
                        {L"SetupPath5", Sz(plugin + L"curl\\libeay32.dll")},
                        {L"SetupPath6", Sz(plugin + L"curl\\libssl32.dll")}};
  return records;
}

// The files the five components leave in the install folder.
std::vector<std::wstring> ExpectedFiles() {
  std::vector<std::wstring> files = {L"kpdfcjk.bin",
                                     L"ktdecod1.dll",
                                     L"lex\\",
                                     L"plugins\\",
                                     L"plugins\\RiRovozeVA\\",
                                     L"plugins\\RiRovozeVA\\OnDemandPlugin.dll",
                                     L"plugins\\RiRovozeVA\\curl\\",
                                     L"plugins\\RiRovozeVA\\curl\\curl.exe",
                                     L"plugins\\RiRovozeVA\\curl\\libcurl.dll",
                                     L"plugins\\RiRovozeVA\\curl\\libeay32.dll",
                                     L"plugins\\RiRovozeVA\\curl\\libssl32.dll",
                                     L"UnPDFReaderPlugin.exe"};
  for (const wchar_t* dictionary : kDictionaries) files.push_back(std::wstring(L"lex\\") + dictionary);
  return Sorted(files);
}

using sys::SubKeys;  // sorted

class ComponentsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveUpdatesList();
    ASSERT_TRUE(::CreateDirectoryW(source_.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(install_.c_str(), nullptr));
    TakeStaged(source_);
  }
  void TearDown() override { RemoveUpdatesList(); }

  // Set up as the install sequence does it, folders with their trailing backslash.
  void Prepare(ComponentRegistry& components, int skinIndex = 0, int allUsers = 0) {
    components.SetProgress(&progress_, 40, 70);
    components.SetSourceFolder(source_ + L"\\");
    components.SetInstallFolder(install_ + L"\\");
    components.SetAllUsers(allUsers);
    components.SetSkinIndex(skinIndex);
    components.SetSetupFolder(sandbox_.path());
    components.SetFailureHook(failures_.hook());
  }

  // The five components in the sequence's order, each failure answered by its remove routine.
  std::vector<int> InstallFive(ComponentRegistry& components) {
    std::vector<int> results;
    results.push_back(components.InstallCjkSupport());
    if (!results.back()) components.RemoveCjkSupport();
    results.push_back(components.InstallImageDecoders());
    if (!results.back()) components.RemoveImageDecoders();
    results.push_back(components.InstallSpellCheck());
    if (!results.back()) components.RemoveSpellCheck();
    results.push_back(components.InstallBrowserPlugin());
    if (!results.back()) components.RemoveBrowserPlugin(0);
    results.push_back(components.InstallOnDemandPlugin());
    if (!results.back()) components.RemoveOnDemandPlugin();
    return results;
  }

  void ExpectRecords(const std::map<std::wstring, Values>& expected) {
    for (const auto& [component, values] : expected) {
      EXPECT_EQ(KeyValues(HKEY_CURRENT_USER, RecordKey(component)), values) << Narrow(component);
    }
  }

  ScopedEnvironment exitCode_{L"KELTO_PLUGIN_EXIT", nullptr};
  Sandbox sandbox_{L"components"};
  std::wstring source_ = sandbox_.path() + L"\\package";
  std::wstring install_ = sandbox_.path() + L"\\Kelto Quorbel";
  RecordingProgress progress_;
  FailureLog failures_;
};

TEST_F(ComponentsTest, RecordsHoldExactlyTheTableValuesForOneUserAndForAll) {
  for (int allUsers : {0, 1}) {
    RemoveUpdatesList();
    progress_.calls.clear();
    ComponentRegistry components;
    Prepare(components, 0, allUsers);
    EXPECT_EQ(InstallFive(components), (std::vector<int>{1, 1, 1, 1, 1})) << "all users " << allUsers;

    ExpectRecords(ExpectedRecords(install_, L"lang_en_us.xml"));
    std::vector<std::wstring> names(std::begin(kComponents), std::end(kComponents));
    EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, std::wstring(kUpdatesListKey)), Sorted(names));
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
      EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::wstring(kUpdatesListKey), view));
    }
    EXPECT_EQ(progress_.positions(), (std::vector<std::wstring>{L"44", L"48", L"52", L"57", L"61"}));
    EXPECT_EQ(Tree(install_), ExpectedFiles());
    EXPECT_TRUE(failures_.reports.empty());
  }
}

TEST_F(ComponentsTest, DownloadPluginNamesTheLanguageFileOfTheInstallerLanguage) {
  const std::pair<int, const wchar_t*> languages[] = {{0, L"lang_en_us.xml"},
                                                      {1, L"lang_fr_fr.xml"},
                                                      {2, L"lang_de_de.xml"},
                                                      {3, L"lang_ko_kr.xml"},
                                                      {4, L"lang_jp_jp.xml"},
                                                      {5, L"lang_zh_cn.xml"},
                                                      {6, L"lang_tw_cn.xml"},
                                                      {7, L""},
                                                      {-1, L""}};
  for (const auto& [skinIndex, suffix] : languages) {
    ComponentRegistry components;
    Prepare(components, skinIndex);
    ASSERT_EQ(components.InstallOnDemandPlugin(), 1);
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, RecordKey(kOnDemand), L"SetupPath2").text(),
              install_ + L"\\plugins\\RiRovozeVA\\OnDemandPlugin" + suffix)
        << "SkinIndex " << skinIndex;
  }
}

TEST_F(ComponentsTest, SecondInstallOverwritesEveryFileAndEveryValue) {
  ComponentRegistry first;
  Prepare(first);
  InstallFive(first);

  for (const std::wstring& entry : Tree(install_)) {
    if (entry.back() != L'\\') {
      ASSERT_TRUE(WriteText(install_ + L"\\" + entry, "old"));
    }
  }
  for (const wchar_t* component : kComponents) {
    for (const auto& value : KeyValues(HKEY_CURRENT_USER, RecordKey(component))) {
      SetRaw(HKEY_CURRENT_USER, RecordKey(component), value.first, REG_SZ, L"stale", 12);
    }
  }

  ComponentRegistry second;
  Prepare(second, 3);
  EXPECT_EQ(InstallFive(second), (std::vector<int>{1, 1, 1, 1, 1}));
  ExpectRecords(ExpectedRecords(install_, L"lang_ko_kr.xml"));
  for (const std::wstring& entry : Tree(install_)) {
    if (entry.back() == L'\\') continue;
    const std::wstring name = entry.substr(entry.find_last_of(L'\\') + 1);
    EXPECT_EQ(ReadText(install_ + L"\\" + entry), ReadText(source_ + L"\\" + name)) << Narrow(entry);
  }
}

TEST_F(ComponentsTest, MissingPluginInstallerFailsOnlyTheBrowserPlugin) {
  ASSERT_TRUE(::DeleteFileW((source_ + L"\\InPDFReaderPlugin.exe").c_str()));
  ComponentRegistry components;
  Prepare(components);

  EXPECT_EQ(InstallFive(components), (std::vector<int>{1, 1, 1, 0, 1}));

  // Its remove routine took the record, and the download plug-in made "\plugins" again.
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, RecordKey(kBrowserPlugin)));
  std::map<std::wstring, Values> expected = ExpectedRecords(install_, L"lang_en_us.xml");
  expected.erase(kBrowserPlugin);
  ExpectRecords(expected);
  std::vector<std::wstring> files = ExpectedFiles();
  files.erase(std::find(files.begin(), files.end(), L"UnPDFReaderPlugin.exe"));
  EXPECT_EQ(Tree(install_), files);
  // The bar skips the failed component's step.
  EXPECT_EQ(progress_.positions(), (std::vector<std::wstring>{L"44", L"48", L"52", L"61"}));
}

TEST_F(ComponentsTest, BrowserPluginFollowsTheInstallersExitCode) {
  {
    ScopedEnvironment code(L"KELTO_PLUGIN_EXIT", L"1");  // one browser missing: still installed
    ComponentRegistry components;
    Prepare(components);
    EXPECT_EQ(components.InstallBrowserPlugin(), 1);
    EXPECT_EQ(KeyValues(HKEY_CURRENT_USER, RecordKey(kBrowserPlugin)).size(), 2u);
    EXPECT_TRUE(Exists(install_ + L"\\UnPDFReaderPlugin.exe"));
    EXPECT_EQ(failures_.reports, std::vector<std::wstring>{L"Firefox Plugin: mozilla firefox is not installed"});
  }
  ::DeleteFileW((install_ + L"\\UnPDFReaderPlugin.exe").c_str());
  failures_.reports.clear();
  {
    ScopedEnvironment code(L"KELTO_PLUGIN_EXIT", L"9");  // both missing
    ComponentRegistry components;
    Prepare(components);
    EXPECT_EQ(components.InstallBrowserPlugin(), 0);
    components.RemoveBrowserPlugin(0);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, RecordKey(kBrowserPlugin)));
    EXPECT_FALSE(Exists(install_ + L"\\UnPDFReaderPlugin.exe"));
    EXPECT_FALSE(Exists(install_ + L"\\plugins"));
    EXPECT_EQ(failures_.count(L"Firefox Plugin: Opera and firefox are not installed"), 1u);
  }
}

TEST_F(ComponentsTest, RemovingFromAFolderWithNothingInstalledChangesNothing) {
  SetRaw(HKEY_CURRENT_USER, RecordKey(L"Someone Else"), L"Name", REG_SZ, L"x", 4);
  ASSERT_TRUE(WriteText(install_ + L"\\mine.txt", "mine"));
  const std::vector<std::wstring> keysBefore = SubKeys(HKEY_CURRENT_USER, std::wstring(kUpdatesListKey));
  const std::vector<std::wstring> filesBefore = Tree(install_);

  ComponentRegistry components;
  Prepare(components);
  EXPECT_EQ(components.RemoveCjkSupport(), 1);
  EXPECT_EQ(components.RemoveImageDecoders(), 1);
  EXPECT_EQ(components.RemoveSpellCheck(), 1);
  EXPECT_EQ(components.RemoveBrowserPlugin(1), 1);
  EXPECT_EQ(components.RemoveOnDemandPlugin(), 1);
  EXPECT_EQ(components.RemoveStamps(), 1);
  EXPECT_EQ(components.RemoveLanguageFiles(), 1);
  EXPECT_EQ(components.RemoveOcrAddon(), 1);

  EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, std::wstring(kUpdatesListKey)), keysBefore);
  EXPECT_EQ(Tree(install_), filesBefore);
  EXPECT_EQ(failures_.count(L"Firefox Plugin: Uninstall firefox plugin failed!"), 1u);
}

TEST_F(ComponentsTest, RemovalAfterAnInstallTakesFilesAndRecordsAndRunsTheUninstaller) {
  ComponentRegistry installer;
  Prepare(installer);
  InstallFive(installer);

  ComponentRegistry remover;
  remover.SetSetupFolder(sandbox_.path());
  remover.SetInstallFolder(install_);  // the removal hands over only the old installation's folder
  EXPECT_EQ(remover.RemoveCjkSupport(), 1);
  EXPECT_EQ(remover.RemoveImageDecoders(), 1);
  EXPECT_EQ(remover.RemoveSpellCheck(), 1);
  EXPECT_EQ(remover.RemoveBrowserPlugin(1), 1);
  EXPECT_EQ(remover.RemoveOnDemandPlugin(), 1);

  EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, std::wstring(kUpdatesListKey)), std::vector<std::wstring>{});
  // What is left is the stand-in uninstaller's own log of how it was started.
  EXPECT_EQ(Tree(install_), std::vector<std::wstring>{L"plugin-log.txt"});
  EXPECT_NE(ReadText(install_ + L"\\plugin-log.txt").find("UnPDFReaderPlugin.exe"), std::string::npos);
}

}  // namespace

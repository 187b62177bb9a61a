// The five add-on components against the staged stand-in payload: their "Updates List" records, their files,
// the progress they report and the undo that answers a failed install; and every row of the component table
// against the removal of an earlier version and the components page.
#include "integration/component_registry.h"

#include <gtest/gtest.h>

#include "app/setup_session.h"
#include "component_test_helpers.h"
#include "page_test_helpers.h"
#include "removal/previous_version_remover.h"
#include "resources/ids.h"
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

  // The table's first five rows, the recorded components, as the install sequence takes them.
  std::vector<int> InstallFive(ComponentRegistry& components) {
    std::vector<int> results;
    for (size_t row = 0; row < 5; ++row) results.push_back(components.Install(kAddOnComponents[row]));
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
  for (const AddOnComponent& row : kAddOnComponents) EXPECT_EQ(row.remove(components, true), 1);

  EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, std::wstring(kUpdatesListKey)), keysBefore);
  EXPECT_EQ(Tree(install_), filesBefore);
  EXPECT_EQ(failures_.count(L"Firefox Plugin: Uninstall firefox plugin failed!"), 1u);
}

// Each row leaves files or a record, and the removal of an earlier version takes them all again, running the
// plug-in's uninstaller; the components page names the product and then each row that has a page name.
TEST_F(ComponentsTest, EveryRowIsRemovedByTheEarlierVersionRemovalAndNamedOnTheComponentsPage) {
  const std::wstring addOn = sandbox_.path() + L"\\OCR Add-on";
  ASSERT_TRUE(::CreateDirectoryW(addOn.c_str(), nullptr));
  for (const wchar_t* name : {L"KT_Abbyy_OCR.Dll", L"UpdaterInfo.xml", L"engine.dat"}) {
    ASSERT_TRUE(WriteText(addOn + L"\\" + name, "add-on"));
  }
  // What the removal leaves: the stand-in uninstaller's log of how it was started, and "\plugins", which the
  // OCR add-on still held when the plug-ins' removals would have taken it.
  const std::vector<std::wstring> left = {L"plugin-log.txt", L"plugins\\"};
  ComponentRegistry installer;
  Prepare(installer, 1);  // an installer language other than English, so the language files' folder is made
  std::vector<std::vector<std::wstring>> added;
  std::vector<std::wstring> pageNames = {L"Kelto Quorbel"};
  for (const AddOnComponent& row : kAddOnComponents) {
    const std::vector<std::wstring> files = Tree(install_);
    const std::vector<std::wstring> keys = SubKeys(HKEY_CURRENT_USER, std::wstring(kUpdatesListKey));
    EXPECT_EQ(installer.Install(row), 1);
    added.emplace_back();
    for (const std::wstring& entry : Tree(install_)) {
      if (std::count(files.begin(), files.end(), entry) + std::count(left.begin(), left.end(), entry) == 0) {
        added.back().push_back(entry);
      }
    }
    for (const std::wstring& key : SubKeys(HKEY_CURRENT_USER, std::wstring(kUpdatesListKey))) {
      if (std::count(keys.begin(), keys.end(), key) == 0) added.back().push_back(L"record " + key);
    }
    EXPECT_FALSE(added.back().empty()) << "row " << added.size() << " left nothing to remove";
    if (row.pageName) pageNames.push_back(row.pageName);
  }

  RecordingProgress bar;
  RemoveAddOnComponents(install_, bar);
  const std::vector<std::wstring> files = Tree(install_);
  const std::vector<std::wstring> keys = SubKeys(HKEY_CURRENT_USER, std::wstring(kUpdatesListKey));
  for (size_t row = 0; row < added.size(); ++row) {
    for (const std::wstring& entry : added[row]) {
      const bool record = entry.compare(0, 7, L"record ") == 0;
      EXPECT_EQ(record ? std::count(keys.begin(), keys.end(), entry.substr(7))
                       : std::count(files.begin(), files.end(), entry),
                0)
          << "row " << row + 1 << " left " << Narrow(entry);
    }
  }
  EXPECT_EQ(files, left);
  EXPECT_NE(ReadText(install_ + L"\\plugin-log.txt").find("UnPDFReaderPlugin.exe"), std::string::npos);

  SetupSession session;
  session.Reset();
  std::vector<std::wstring> shown;
  page_test::ShowDriven(session.componentsPage, [&](gui::Driver& d, HWND page) {
    for (const auto& [text, checked] : d.TreeItems(::GetDlgItem(page, IDC_COMPONENTS_TREE))) shown.push_back(text);
    gui::Driver::Click(page, IDC_COMPONENTS_NEXT);
  });
  EXPECT_EQ(shown, pageNames);
}

}  // namespace

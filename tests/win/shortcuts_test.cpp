// Shortcuts in the prefix's real special folders, read back through the shell's own link object.
#include "engine/shortcuts.h"

#include <gtest/gtest.h>

#include <map>

#include "install_test_helpers.h"

namespace {

using namespace install_test;

// Localized link names, as a language file would give them.
std::map<unsigned, std::wstring> FrenchNames() {
  return {{60, L"Quorbel de Kelto"}, {61, L"D\u00e9sinstaller"}, {63, L"Lisez-moi"}};
}

class ShortcutsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::wstring& folder :
         {folders_.commonDesktop, folders_.desktop, folders_.commonPrograms, folders_.programs}) {
      ASSERT_FALSE(folder.empty());
    }
    installFolder_ = sandbox_.path() + L"\\Kelto Quorbel\\";
    options_.installFolder = installFolder_;
    Clean();
  }
  void TearDown() override { Clean(); }
  void Clean() { RemoveProductLinks(folders_, {L"Kelto Quorbel", FrenchNames()[60], L"KelmoraQuorbel", L"Other"}); }
  void MakeQuickLaunch() { quickLaunch_.Make(); }
  void UseTexts(std::map<unsigned, std::wstring> texts) {
    context_.text = [texts](unsigned id) {
      const auto it = texts.find(id);
      return it != texts.end() ? it->second : BuiltinText(id);
    };
  }
  void CreateAll() {
    CreateStartMenuShortcuts(context_);
    CreateDesktopShortcut(context_);
    CreateQuickLaunchShortcut(context_);
  }

  Folders folders_;
  QuickLaunchScope quickLaunch_{folders_};
  Sandbox sandbox_{L"links"};
  std::wstring installFolder_;
  SetupOptions options_;
  RecordingPrompter prompts_;
  InstallContext context_{options_, BuiltinTexts(), prompts_};
};

TEST_F(ShortcutsTest, AllUsersPutsMenuAndDesktopInTheCommonFoldersButQuickLaunchStaysPerUser) {
  MakeQuickLaunch();
  options_.allUsers = 1;
  CreateAll();
  const std::wstring menu = folders_.commonPrograms + L"\\Kelto Quorbel\\";
  EXPECT_EQ(ReadLink(menu + L"Kelto Quorbel.lnk").target, installFolder_ + L"Kelto Quorbel.exe");
  EXPECT_EQ(ReadLink(menu + L"Uninstall.lnk").target, installFolder_ + L"Uninstall.exe");
  EXPECT_EQ(ReadLink(menu + L"Readme.lnk").target, installFolder_ + L"Readme.txt");
  EXPECT_EQ(List(menu).size(), 3u);
  EXPECT_EQ(ReadLink(folders_.commonDesktop + L"\\Kelto Quorbel.lnk").target, installFolder_ + L"Kelto Quorbel.exe");
  EXPECT_EQ(ReadLink(folders_.quickLaunch + L"\\Kelto Quorbel.lnk").target, installFolder_ + L"Kelto Quorbel.exe");
  EXPECT_FALSE(Exists(folders_.programs + L"\\Kelto Quorbel"));
  EXPECT_FALSE(Exists(folders_.desktop + L"\\Kelto Quorbel.lnk"));
}

TEST_F(ShortcutsTest, AnyOtherAllUsersValuePutsThemInTheUsersOwnFolders) {
  for (int allUsers : {0, 2}) {
    Clean();
    options_.allUsers = allUsers;
    CreateStartMenuShortcuts(context_);
    CreateDesktopShortcut(context_);
    EXPECT_EQ(List(folders_.programs + L"\\Kelto Quorbel").size(), 3u) << allUsers;
    EXPECT_TRUE(Exists(folders_.desktop + L"\\Kelto Quorbel.lnk")) << allUsers;
    EXPECT_FALSE(Exists(folders_.commonPrograms + L"\\Kelto Quorbel")) << allUsers;
    EXPECT_FALSE(Exists(folders_.commonDesktop + L"\\Kelto Quorbel.lnk")) << allUsers;
  }
}

TEST_F(ShortcutsTest, LinksCarryOnlyTheirTargetAndTheInstallFolderAsDescription) {
  options_.allUsers = 1;
  CreateStartMenuShortcuts(context_);
  for (const wchar_t* name : {L"Kelto Quorbel", L"Uninstall", L"Readme"}) {
    const LinkProperties link = ReadLink(folders_.commonPrograms + L"\\Kelto Quorbel\\" + name + L".lnk");
    ASSERT_TRUE(link.loaded) << name;
    EXPECT_EQ(link.description, installFolder_);
    EXPECT_EQ(link.arguments, L"");
    EXPECT_EQ(link.workingFolder, L"");
  }
}

TEST_F(ShortcutsTest, MissingQuickLaunchFolderIsNotCreatedAndNothingIsShown) {
  if (!quickLaunch_.wasMissing()) GTEST_SKIP() << "the prefix has a quick-launch folder of its own";
  CreateQuickLaunchShortcut(context_);
  EXPECT_FALSE(Exists(folders_.quickLaunch));
  EXPECT_TRUE(prompts_.prompts().empty());
}

TEST_F(ShortcutsTest, OldLinksGoFromAllFivePlacesByTheirFixedNamesOnly) {
  MakeQuickLaunch();
  const std::wstring places[] = {folders_.commonDesktop, folders_.desktop, folders_.commonPrograms + L"\\Kelto Quorbel",
                                 folders_.programs + L"\\Kelto Quorbel", folders_.quickLaunch};
  for (const std::wstring& place : places) {
    MakeFolders(place);
    for (const wchar_t* name : {L"Kelto Quorbel.lnk", L"KelmoraQuorbel.lnk", L"Other.lnk"}) {
      ASSERT_TRUE(WriteText(place + L"\\" + name, "link"));
    }
  }
  RemoveOldShortcuts(context_);
  for (const std::wstring& place : places) {
    const std::string where(place.begin(), place.end());
    EXPECT_FALSE(Exists(place + L"\\Kelto Quorbel.lnk")) << where;
    EXPECT_FALSE(Exists(place + L"\\KelmoraQuorbel.lnk")) << where;
    EXPECT_TRUE(Exists(place + L"\\Other.lnk")) << where;
  }
}

TEST_F(ShortcutsTest, LocalizedNamesNameTheNewLinksWhileRemovalKeepsToTheFixedNames) {
  MakeQuickLaunch();
  UseTexts(FrenchNames());
  options_.allUsers = 1;
  CreateAll();
  const std::wstring menu = folders_.commonPrograms + L"\\Quorbel de Kelto\\";
  EXPECT_EQ(ReadLink(menu + L"Quorbel de Kelto.lnk").target, installFolder_ + L"Kelto Quorbel.exe");
  EXPECT_EQ(ReadLink(menu + L"D\u00e9sinstaller.lnk").target, installFolder_ + L"Uninstall.exe");
  EXPECT_EQ(ReadLink(menu + L"Lisez-moi.lnk").target, installFolder_ + L"Readme.txt");
  const std::wstring desktopLink = folders_.commonDesktop + L"\\Quorbel de Kelto.lnk";
  const std::wstring quickLaunchLink = folders_.quickLaunch + L"\\Quorbel de Kelto.lnk";
  EXPECT_TRUE(ReadLink(desktopLink).loaded);
  EXPECT_TRUE(ReadLink(quickLaunchLink).loaded);

  // An old link of the fixed name inside the localized menu folder goes; the new links stay.
  ASSERT_TRUE(WriteText(menu + L"Kelto Quorbel.lnk", "old link"));
  RemoveOldShortcuts(context_);
  EXPECT_FALSE(Exists(menu + L"Kelto Quorbel.lnk"));
  EXPECT_EQ(List(menu).size(), 3u);
  EXPECT_TRUE(Exists(desktopLink));
  EXPECT_TRUE(Exists(quickLaunchLink));
}

// A hostile language file beside the setup names the links and the menu folder with paths: each such name
// falls back to the built-in English one, and nothing lands outside the folders the links belong in.
TEST_F(ShortcutsTest, NamesThatArePathsFallBackToTheBuiltInOnes) {
  MakeQuickLaunch();
  UseTexts({{60, L"..\\..\\Startup\\Evil"}, {61, L"C:\\Windows\\Uninstall"}, {63, L"NUL"}});
  options_.allUsers = 1;
  RemoveOldShortcuts(context_);  // as the install does, before the new links
  CreateAll();
  const std::wstring menu = folders_.commonPrograms + L"\\Kelto Quorbel\\";
  EXPECT_EQ(ReadLink(menu + L"Kelto Quorbel.lnk").target, installFolder_ + L"Kelto Quorbel.exe");
  EXPECT_EQ(ReadLink(menu + L"Uninstall.lnk").target, installFolder_ + L"Uninstall.exe");
  EXPECT_EQ(ReadLink(menu + L"Readme.lnk").target, installFolder_ + L"Readme.txt");
  EXPECT_EQ(ReadLink(folders_.commonDesktop + L"\\Kelto Quorbel.lnk").target, installFolder_ + L"Kelto Quorbel.exe");
  EXPECT_FALSE(Exists(folders_.commonPrograms + L"\\..\\..\\Startup"));
  EXPECT_FALSE(Exists(L"C:\\Windows\\Uninstall.lnk"));
}

// The shell's link class pointed at a library that isn't there. Wine's COM reads classes from the machine's
// part only (no per-user classes), so the prefix's own registration is bent and put back afterwards.
class UnavailableLinkObject : public ShortcutsTest {
 protected:
  static constexpr wchar_t kServerKey[] =
      L"Software\\Classes\\CLSID\\{00021401-0000-0000-C000-000000000046}\\InprocServer32";
  void SetUp() override {
    ShortcutsTest::SetUp();
    original_ = ReadRaw(HKEY_LOCAL_MACHINE, kServerKey, L"");
    ASSERT_TRUE(original_.found);
    const std::wstring server = sandbox_.path() + L"\\missing-link-server.dll";
    SetRaw(HKEY_LOCAL_MACHINE, kServerKey, L"", REG_SZ, server.c_str(), static_cast<DWORD>(2 * server.size() + 2));
    ASSERT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kServerKey, L"").text(), server);
  }
  void TearDown() override {
    if (original_.found) {
      SetRaw(HKEY_LOCAL_MACHINE, kServerKey, L"", original_.type, original_.bytes.data(),
             static_cast<DWORD>(original_.bytes.size()));
    }
    ShortcutsTest::TearDown();
  }
  RawValue original_;
};

TEST_F(UnavailableLinkObject, EachShortcutAttemptShowsTheFailureTextAndTheSequenceGoesOn) {
  options_.allUsers = 1;
  CreateStartMenuShortcuts(context_);
  EXPECT_TRUE(CreateShortcut(context_, L"Kelto Quorbel", folders_.commonDesktop, L"Kelto Quorbel"));
  ASSERT_EQ(prompts_.prompts().size(), 4u);
  for (const Prompt& prompt : prompts_.prompts()) {
    EXPECT_EQ(prompt.textId, 58u);
    EXPECT_EQ(prompt.style, static_cast<unsigned>(MB_ICONWARNING | MB_OK));
    EXPECT_EQ(prompt.caption, PromptCaption::Wizard);
    EXPECT_EQ(prompt.text, BuiltinText(58));
    EXPECT_EQ(prompt.captionText, BuiltinText(1));
  }
  EXPECT_TRUE(List(folders_.commonPrograms + L"\\Kelto Quorbel").empty());
  EXPECT_FALSE(Exists(folders_.commonDesktop + L"\\Kelto Quorbel.lnk"));
}

}  // namespace

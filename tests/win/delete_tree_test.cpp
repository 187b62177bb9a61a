// Recursive deletion on the prefix's real files and registry.
#include "framework/base/delete_tree.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include "component_test_helpers.h"
#include "framework/base/final_path.h"

namespace {

using namespace component_test;

const wchar_t kTestKey[] = L"Software\\Kelto Software\\Test";

void Write(const std::wstring& path, const char* text = "x") { ASSERT_TRUE(WriteText(path, text)); }

void Make(const std::wstring& path) { ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr)) << Narrow(path); }

// `root` made with the entries below it, in order: a name ending in a backslash is a folder, any other a file.
void Build(const std::wstring& root, std::initializer_list<const wchar_t*> entries) {
  Make(root);
  for (const std::wstring entry : entries) {
    if (entry.back() == L'\\') {
      Make(root + L"\\" + entry.substr(0, entry.size() - 1));
    } else {
      Write(root + L"\\" + entry);
    }
  }
}

TEST(DeleteTree, ReadOnlyFileStaysWithTheFoldersAboveItAndTheRestGoes) {
  Sandbox sandbox(L"deltree");
  const std::wstring root = sandbox.path() + L"\\tree";
  Build(root, {L"a\\", L"a\\b\\", L"c\\", L"c\\empty\\", L"top.txt", L"a\\one.txt", L"a\\b\\two.txt", L"c\\three.txt"});
  Write(root + L"\\a\\b\\locked.txt", "keep");
  ::SetFileAttributesW((root + L"\\a\\b\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);

  deleteTree(root);

  EXPECT_EQ(Tree(root), (std::vector<std::wstring>{L"a\\", L"a\\b\\", L"a\\b\\locked.txt"}));
  EXPECT_EQ(ReadText(root + L"\\a\\b\\locked.txt"), "keep");
  ::SetFileAttributesW((root + L"\\a\\b\\locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(DeleteTree, TakesTheFolderWithOrWithoutATrailingBackslash) {
  Sandbox sandbox(L"deltree");
  for (const wchar_t* ending : {L"", L"\\"}) {
    const std::wstring root = sandbox.path() + L"\\tree";
    Build(root, {L"sub\\", L"sub\\file.txt"});
    deleteTree(root + ending);
    EXPECT_FALSE(Exists(root)) << "ending '" << Narrow(ending) << "'";
  }
}

// The extraction folder is handed over in its 8.3 form.
TEST(DeleteTree, TakesAFolderGivenByItsShortName) {
  Sandbox sandbox(L"deltree");
  const std::wstring root = sandbox.path() + L"\\extraction folder.tmp";
  Build(root, {L"long sub-folder name\\", L"long sub-folder name\\a file with a long name.txt", L"Kelto Quorbel.exe"});
  wchar_t shortPath[MAX_PATH] = {};
  ASSERT_GT(::GetShortPathNameW(root.c_str(), shortPath, MAX_PATH), 0u);
  ASSERT_NE(std::wstring(shortPath), root);
  deleteTree(std::wstring(shortPath) + L"\\");
  EXPECT_FALSE(Exists(root));
}

TEST(DeleteTree, EmptyPathOrAFileDeletesNothing) {
  Sandbox sandbox(L"deltree");
  Write(sandbox.path() + L"\\file.txt");
  Make(sandbox.path() + L"\\sub");
  wchar_t previous[MAX_PATH * 2] = {};
  ::GetCurrentDirectoryW(MAX_PATH * 2, previous);
  ASSERT_TRUE(::SetCurrentDirectoryW(sandbox.path().c_str()));

  deleteTree(L"");
  deleteTree(sandbox.path() + L"\\file.txt");
  deleteMatching(L"");
  deleteMatching(L"*.*");
  deleteMatching(L"\\");

  ::SetCurrentDirectoryW(previous);
  EXPECT_EQ(Tree(sandbox.path()), (std::vector<std::wstring>{L"file.txt", L"sub\\"}));
}

TEST(DeleteMatching, ShortcutPatternTakesShortcutsAndAFolderNamedLikeOneWhole) {
  Sandbox sandbox(L"delmatch");
  const std::wstring folder = sandbox.path() + L"\\links";
  Build(folder, {L"Kelto Quorbel.lnk", L"Uninstall.lnk", L"readme.txt", L"notes.lnk2", L"x.lnk\\", L"x.lnk\\inner\\",
                 L"x.lnk\\inner\\deep.txt", L"keep\\", L"keep\\inside.lnk"});

  deleteMatching(folder + L"\\*.lnk");

  // The folder itself stays: the caller removes it when it wants it gone. Long names decide, so the 8.3
  // alias of notes.lnk2 (NOTES~xx.LNK) does not make it match.
  EXPECT_EQ(Tree(folder), (std::vector<std::wstring>{L"keep\\", L"keep\\inside.lnk", L"notes.lnk2", L"readme.txt"}));
}

TEST(DeleteMatching, AllPatternEmptiesTheFolderButKeepsIt) {
  Sandbox sandbox(L"delmatch");
  const std::wstring folder = sandbox.path() + L"\\all";
  Build(folder, {L"noextension", L"a.b.c", L"sub\\", L"sub\\x"});
  deleteMatching(folder + L"\\*.*\\");
  EXPECT_TRUE(IsFolder(folder));
  EXPECT_TRUE(List(folder).empty());
}

// A link inside a tree is never followed: what it points at keeps every file. Under Wine the links are made on
// the Unix side, since its CreateSymbolicLinkW makes nothing. Each case runs as the running system tells final
// paths, as a system before Vista does (the object manager's names), and as one that can't tell them, where
// nothing at all may be deleted: an entry that can't be told from a link is left alone.
class DeleteThroughLinks : public ::testing::TestWithParam<FinalPathSource> {
 protected:
  void SetUp() override {
    SetFinalPathSourceForTests(GetParam());
    Build(base_, {L"outside\\", L"outside\\sub\\", L"outside-empty\\"});
    Write(base_ + L"\\outside\\keep.txt", "keep");
    Write(base_ + L"\\outside\\sub\\deep.txt", "deep");
    Write(base_ + L"\\outside-file.txt", "file");
    Build(tree_, {L"plain.txt", L"dir\\", L"dir\\x.txt"});
    // One link deeper down: the walk judges every entry it reaches, not only the top ones.
    ASSERT_TRUE(MakeLink(L"../../outside", base_ + L"\\outside", tree_ + L"\\dir\\deeplink", true));
    ASSERT_TRUE(MakeLink(L"../outside", base_ + L"\\outside", tree_ + L"\\dirlink", true));
    ASSERT_TRUE(MakeLink(L"../outside-empty", base_ + L"\\outside-empty", tree_ + L"\\emptylink", true));
    ASSERT_TRUE(MakeLink(L"../outside-file.txt", base_ + L"\\outside-file.txt", tree_ + L"\\filelink", false));
  }
  void TearDown() override {
    SetFinalPathSourceForTests(FinalPathSource::Automatic);
    if (RunningUnderWine()) RemoveOnUnixSide(base_);
  }
  bool PathsTold() const { return GetParam() != FinalPathSource::None; }
  void ExpectTargetsUntouched() {
    EXPECT_EQ(ReadText(base_ + L"\\outside\\keep.txt"), "keep");
    EXPECT_EQ(ReadText(base_ + L"\\outside\\sub\\deep.txt"), "deep");
    EXPECT_TRUE(IsFolder(base_ + L"\\outside-empty"));
    EXPECT_EQ(ReadText(base_ + L"\\outside-file.txt"), "file");
  }

  Sandbox sandbox_{L"links"};
  std::wstring base_ = sandbox_.path() + L"\\base";
  std::wstring tree_ = base_ + L"\\tree";
};

TEST_P(DeleteThroughLinks, DeleteTreeLeavesTheTargetsAndTakesEverythingElse) {
  // The Wine view the code has to cope with: a linked folder carries the reparse attribute, a linked file
  // looks like a plain file.
  if (RunningUnderWine()) {
    EXPECT_EQ(::GetFileAttributesW((tree_ + L"\\dirlink").c_str()),
              DWORD{FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT});
    EXPECT_EQ(::GetFileAttributesW((tree_ + L"\\filelink").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
  }
  deleteTree(tree_);
  ExpectTargetsUntouched();
  EXPECT_EQ(Exists(tree_ + L"\\plain.txt"), !PathsTold());
  EXPECT_EQ(Exists(tree_ + L"\\dir\\x.txt"), !PathsTold());
  if (!RunningUnderWine() && PathsTold()) {
    EXPECT_FALSE(Exists(tree_ + L"\\dir"));
    EXPECT_FALSE(Exists(tree_));  // the links went as links
  }
}

TEST_P(DeleteThroughLinks, DeleteMatchingLeavesTheTargetsToo) {
  deleteMatching(tree_ + L"\\*.*");
  ExpectTargetsUntouched();
  EXPECT_EQ(Exists(tree_ + L"\\plain.txt"), !PathsTold());
  EXPECT_EQ(Exists(tree_ + L"\\dir\\x.txt"), !PathsTold());
}

TEST_P(DeleteThroughLinks, ALinkHandedOverAsTheFolderIsNotFollowed) {
  deleteTree(tree_ + L"\\dirlink");
  deleteTree(tree_ + L"\\emptylink\\");
  ExpectTargetsUntouched();
}

INSTANTIATE_TEST_SUITE_P(FinalPaths, DeleteThroughLinks,
                         ::testing::Values(FinalPathSource::Automatic, FinalPathSource::ObjectName,
                                           FinalPathSource::None),
                         [](const ::testing::TestParamInfo<FinalPathSource>& info) {
                           switch (info.param) {
                             case FinalPathSource::Automatic: return std::string("AsThisSystemTellsThem");
                             case FinalPathSource::ObjectName: return std::string("AsASystemBeforeVista");
                             case FinalPathSource::None: return std::string("WhereTheyCantBeTold");
                           }
                           return std::string();
                         });

// --- registry ---

class DeleteKeyTree : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::wstring& link : {key_ + L"\\a\\link", key_ + L"-link"}) RemoveLink(link);
    DeleteKeyAndEmptyParents(HKEY_CURRENT_USER, key_, L"Software");
  }

  // HKEY_CURRENT_USER\`link` made a registry link to HKEY_CURRENT_USER\`target`.
  static bool MakeRegistryLink(const std::wstring& link, const std::wstring& target) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, link.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                          KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    const std::wstring path = L"\\Registry\\User\\" + sys::UserSid() + L"\\" + target;
    const LONG set =
        ::RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(path.data()),
                         static_cast<DWORD>(path.size() * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return set == ERROR_SUCCESS;
  }
  static bool LinkExists(const std::wstring& link) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, link.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &key) != ERROR_SUCCESS) {
      return false;
    }
    ::RegCloseKey(key);
    return true;
  }
  // Left behind by a failed test: RegDeleteKeyW would take the target instead.
  static void RemoveLink(const std::wstring& link) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, link.c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
      return;
    }
    ::RegDeleteKeyW(key, L"");
    ::RegCloseKey(key);
  }

  void Value(const std::wstring& key, const wchar_t* name, const wchar_t* text) {
    SetRaw(HKEY_CURRENT_USER, key, name, REG_SZ, text, static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
  }

  std::wstring key_ = std::wstring(kTestKey) + L"\\deltree-" + std::to_wstring(::GetCurrentProcessId());
};

TEST_F(DeleteKeyTree, KeyThreeLevelsDeepWithValuesEverywhereGoesEntirely) {
  const std::wstring sibling = key_ + L"-sibling";
  Value(sibling, L"stay", L"1");
  Value(key_, L"", L"default");
  Value(key_, L"top", L"1");
  for (const wchar_t* child : {L"\\a", L"\\b", L"\\c"}) {
    Value(key_ + child, L"one", L"1");
    Value(key_ + child, L"two", L"2");
    Value(key_ + child + L"\\x", L"", L"default");
    Value(key_ + child + L"\\x\\deepest", L"three", L"3");
    Value(key_ + child + L"\\y", L"four", L"4");
  }

  ::deleteKeyTree(HKEY_CURRENT_USER, key_);

  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key_));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::wstring(kTestKey)));
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, sibling, L"stay").text(), L"1");
  DeleteKeyAndEmptyParents(HKEY_CURRENT_USER, sibling, L"Software");
}

// A registry link inside the tree goes as the link: the key it points at keeps its values and sub-keys. The
// tree's own key handed over as a link is taken the same way.
TEST_F(DeleteKeyTree, ARegistryLinkGoesAsTheLinkAndItsTargetStays) {
  const std::wstring target = key_ + L"-target";
  Value(target, L"keep", L"1");
  Value(target + L"\\sub", L"deep", L"2");
  Value(key_ + L"\\a", L"one", L"1");
  ASSERT_TRUE(MakeRegistryLink(key_ + L"\\a\\link", target));
  ASSERT_TRUE(MakeRegistryLink(key_ + L"-link", target));
  // Seen through the link, the target's contents look like the tree's own.
  ASSERT_EQ(ReadRaw(HKEY_CURRENT_USER, key_ + L"\\a\\link", L"keep").text(), L"1");

  ::deleteKeyTree(HKEY_CURRENT_USER, key_);
  ::deleteKeyTree(HKEY_CURRENT_USER, key_ + L"-link");

  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key_));
  EXPECT_FALSE(LinkExists(key_ + L"-link"));
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, target, L"keep").text(), L"1");
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, target + L"\\sub", L"deep").text(), L"2");
  DeleteKeyAndEmptyParents(HKEY_CURRENT_USER, target, L"Software");
}

TEST_F(DeleteKeyTree, MissingKeyChangesNothing) {
  Value(key_, L"v", L"1");
  ::deleteKeyTree(HKEY_CURRENT_USER, key_ + L"\\missing");
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, key_, L"v").text(), L"1");
}

// Run against a stand-in for the hive, so that a failure can't take the prefix's HKEY_CURRENT_USER with it.
TEST_F(DeleteKeyTree, EmptyPathDeletesNothing) {
  Value(key_ + L"\\inside", L"v", L"1");
  HKEY standIn = nullptr;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_ALL_ACCESS, &standIn), ERROR_SUCCESS);
  ASSERT_EQ(::RegOverridePredefKey(HKEY_CURRENT_USER, standIn), ERROR_SUCCESS);
  ::deleteKeyTree(HKEY_CURRENT_USER, L"");
  HKEY inside = nullptr;
  const LONG opened = ::RegOpenKeyExW(HKEY_CURRENT_USER, L"inside", 0, KEY_READ, &inside);
  ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  ::RegCloseKey(standIn);
  EXPECT_EQ(opened, ERROR_SUCCESS);
  if (inside) ::RegCloseKey(inside);
}

}  // namespace

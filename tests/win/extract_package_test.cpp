// Runs the extractor against the real file system: the extraction folders go where the setup makes them, in
// the system's own temporary folder, and each test takes away what it made there.
#include "engine/extract_package.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/package_writer.h"
#include "framework/base/admin_only.h"
#include "framework/base/delete_tree.h"
#include "framework/base/final_path.h"
#include "install_test_helpers.h"
#include "tests/driver/system_state.h"
#include "tests/driver/walk.h"

namespace {

using install_test::BuildPackage;
using Files = install_test::PackageFiles;

ByteView View(const std::vector<uint8_t>& v) { return {v.data(), v.size()}; }

std::wstring WindowsFolder() {
  wchar_t folder[MAX_PATH] = {};
  ::GetSystemWindowsDirectoryW(folder, MAX_PATH);
  return folder;
}

using install_test::RunsOnWine;
using install_test::SecurityOf;
using install_test::TrusteesOf;
using sys::List;
using sys::RemoveTree;

class ExtractPackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = ExtractionParent();
    ASSERT_FALSE(root_.empty());
    const std::vector<std::wstring> before = List(root_);
    before_.insert(before.begin(), before.end());
  }
  void TearDown() override {
    for (const std::wstring& name : Added()) RemoveTree(root_ + name);
  }

  // What of ours came into the extraction folders' parent since the test began: the system's own programs may
  // put their files there too.
  std::vector<std::wstring> Added() const {
    std::vector<std::wstring> added;
    for (const std::wstring& name : List(root_)) {
      const bool ours = _wcsnicmp(name.c_str(), L"kel", 3) == 0 || _wcsnicmp(name.c_str(), L"moved-kel", 9) == 0;
      if (ours && !before_.count(name)) added.push_back(name);
    }
    return added;
  }
  // The one thing the extractor may leave in the temporary folder is the extraction folder itself.
  void ExpectOnlyTheFolderIn(const std::wstring& folder) {
    const std::vector<std::wstring> added = Added();
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(root_ + added[0] + L"\\", folder);
  }

  std::wstring root_;
  std::set<std::wstring> before_;
};

}  // namespace

TEST_F(ExtractPackageTest, WritesEveryEntryIntoAFreshFolderInTheSystemsTemporaryFolder) {
  const std::string binary("MZ\x90\0\x03\0\0\0\xFF\xFE", 10);
  const Files files = {{"Kelto Quorbel.exe", binary},
                       {"empty.dat", ""},
                       {"config.xml", "<config version=\"1\"/>"},
                       {"dup.txt", "first"},
                       {"dup.txt", "second"}};
  std::wstring folder = L"stale";
  ASSERT_EQ(ExtractPackage(folder, View(BuildPackage(files))), kPackageOk);

  // Not the user's own temporary folder, where the user's programs could rename it: the machine's, where only
  // administrators may rename or delete what others made.
  const std::wstring windows = WindowsFolder();
  const bool systemTemp = sys::IsFolder(windows + L"\\SystemTemp");
  EXPECT_EQ(root_, windows + (systemTemp ? L"\\SystemTemp\\" : L"\\Temp\\"));
  ASSERT_GT(folder.size(), root_.size());
  EXPECT_EQ(folder.compare(0, root_.size(), root_), 0);
  EXPECT_EQ(folder.back(), L'\\');
  const std::wstring leaf = folder.substr(root_.size(), folder.size() - root_.size() - 1);
  EXPECT_EQ(leaf.find(L'\\'), std::wstring::npos);
  EXPECT_EQ(_wcsnicmp(leaf.c_str(), L"kel", 3), 0);
  EXPECT_EQ(_wcsicmp(leaf.c_str() + leaf.size() - 4, L".tmp"), 0);
  ExpectOnlyTheFolderIn(folder);  // and no temporary file beside it
  // Only administrators may change what the setup is about to run from there; nothing from the temporary folder
  // is inherited, and what is unpacked inside inherits the same.
  if (!RunsOnWine()) {
    EXPECT_EQ(SecurityOf(folder), L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)");
    EXPECT_EQ(TrusteesOf(SecurityOf(folder + L"config.xml")), (std::set<std::wstring>{L"BA", L"SY"}));
  } else {
    // Wine keeps a descriptor only as Unix permissions: the folder shows SYSTEM and its owner (the prefix's
    // administrator), files inside inherit nothing, but nobody else may be on the folder. The descriptor the
    // folder is created with is the protected one.
    AdminOnlySecurity security;
    ASSERT_NE(security.attributes(), nullptr);
    LPWSTR passed = nullptr;
    ASSERT_TRUE(::ConvertSecurityDescriptorToStringSecurityDescriptorW(
        security.attributes()->lpSecurityDescriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &passed, nullptr));
    EXPECT_STREQ(passed, L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)");
    ::LocalFree(passed);
    std::set<std::wstring> trustees = TrusteesOf(SecurityOf(folder));
    EXPECT_EQ(trustees.count(L"SY"), 1u) << sys::Narrow(SecurityOf(folder));
    trustees.erase(L"SY");
    trustees.erase(L"BA");
    trustees.erase(sys::UserSid());
    EXPECT_TRUE(trustees.empty()) << sys::Narrow(SecurityOf(folder));
  }

  EXPECT_EQ(List(folder).size(), 4u);
  EXPECT_EQ(sys::ReadText(folder + L"Kelto Quorbel.exe"), binary);
  EXPECT_EQ(sys::ReadText(folder + L"empty.dat"), "");
  EXPECT_EQ(sys::ReadText(folder + L"config.xml"), "<config version=\"1\"/>");
  EXPECT_EQ(sys::ReadText(folder + L"dup.txt"), "second");
}

TEST_F(ExtractPackageTest, EmptyPackageAndSelectionFlag) {
  std::wstring folder;
  ASSERT_EQ(ExtractPackage(folder, View(BuildPackage({}))), kPackageOk);
  EXPECT_TRUE(List(folder).empty());
  RemoveTree(folder);

  ASSERT_EQ(ExtractPackage(folder, View(BuildPackage({{"a.txt", "A"}}, 1, 3))), kPackageOk);
  EXPECT_EQ(sys::ReadText(folder + L"a.txt"), "A");
}

TEST_F(ExtractPackageTest, EachExtractionGetsItsOwnFolder) {
  std::wstring first, second;
  ASSERT_EQ(ExtractPackage(first, View(BuildPackage({{"a.txt", "1"}}))), kPackageOk);
  ASSERT_EQ(ExtractPackage(second, View(BuildPackage({{"a.txt", "2"}}))), kPackageOk);
  EXPECT_NE(first, second);
  EXPECT_EQ(sys::ReadText(first + L"a.txt"), "1");
}

TEST_F(ExtractPackageTest, RejectedContainerWritesNothing) {
  struct Case {
    const char* what;
    Files files;
    PackageResult expected;
  };
  const Case cases[] = {
      {"parent escape", {{"good.txt", "1"}, {"..\\evil.txt", "evil"}}, kPackageBadName},
      {"slash escape", {{"good.txt", "1"}, {"../evil.txt", "evil"}}, kPackageBadName},
      {"absolute path", {{"C:\\evil.txt", "evil"}}, kPackageBadName},
      {"device", {{"good.txt", "1"}, {"NUL", "x"}}, kPackageBadName},
      // Fits the name limit but not beside the folder: caught before the first entry is written.
      {"path too long", {{"good.txt", "1"}, {std::string(259, 'n'), "x"}}, kPackageEntryNotCreated},
  };
  for (const Case& c : cases) {
    std::wstring folder;
    EXPECT_EQ(ExtractPackage(folder, View(BuildPackage(c.files))), c.expected) << c.what;
    ASSERT_FALSE(folder.empty()) << c.what;
    EXPECT_TRUE(List(folder).empty()) << c.what;
    ExpectOnlyTheFolderIn(folder);
    EXPECT_EQ(::GetFileAttributesW((root_ + L"evil.txt").c_str()), INVALID_FILE_ATTRIBUTES) << c.what;
    EXPECT_EQ(::GetFileAttributesW(L"C:\\evil.txt"), INVALID_FILE_ATTRIBUTES) << c.what;
    RemoveTree(folder);
  }
}

TEST_F(ExtractPackageTest, ContainerWithoutMagicLeavesAnEmptyFolder) {
  std::vector<uint8_t> container = {'H', 'E', 'X', 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
  std::vector<uint8_t> stream;
  ASSERT_TRUE(EncodeLzmaAlone(View(container), stream));
  std::wstring folder;
  EXPECT_EQ(ExtractPackage(folder, View(stream)), kPackageBadMagic);
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(List(folder).empty());
  ExpectOnlyTheFolderIn(folder);
}

TEST_F(ExtractPackageTest, BadHeadersStopBeforeAnyFolderAndDamageLeavesAnEmptyOne) {
  const std::vector<uint8_t> good = BuildPackage({{"a.txt", std::string(70000, 'a')}, {"b.txt", "abc"}});
  auto patched = [&](size_t at, std::initializer_list<uint8_t> bytes) {
    std::vector<uint8_t> v = good;
    for (uint8_t b : bytes) v[at++] = b;
    return v;
  };
  struct Case {
    const char* what;
    std::vector<uint8_t> stream;
    PackageResult expected;
    bool folderMade;  // damage shows only while decoding, once the folder exists
  };
  const Case cases[] = {
      {"empty", {}, kPackageBadHeader, false},
      {"properties", patched(0, {225}), kPackageBadProperties, false},
      {"unknown size", patched(5, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), kPackageUnknownSize, false},
      {"huge dictionary", patched(1, {0, 0, 0, 0x20}), kPackageTooLarge, false},
      {"huge size", patched(5, {0, 0, 0, 0x40}), kPackageDecodeFailed, true},
      {"size beyond data", patched(5, {uint8_t(good[5] + 1)}), kPackageDecodeFailed, true},
      {"cut short", std::vector<uint8_t>(good.begin(), good.begin() + good.size() - 4), kPackageDecodeFailed, true},
  };
  for (const Case& c : cases) {
    std::wstring folder = L"stale";
    EXPECT_EQ(ExtractPackage(folder, View(c.stream)), c.expected) << c.what;
    if (!c.folderMade) {
      EXPECT_TRUE(folder.empty()) << c.what;
      EXPECT_TRUE(Added().empty()) << c.what;
      continue;
    }
    // What was written before the damage showed is gone again; the caller removes the folder.
    ASSERT_FALSE(folder.empty()) << c.what;
    EXPECT_TRUE(List(folder).empty()) << c.what;
    ExpectOnlyTheFolderIn(folder);
    RemoveTree(folder);
  }
}

TEST_F(ExtractPackageTest, ModuleWithoutPackageResource) {
  std::wstring folder;
  EXPECT_EQ(ExtractPackage(folder, ::GetModuleHandleW(L"kernel32.dll")), kPackageNoResource);
  EXPECT_TRUE(folder.empty());
  EXPECT_TRUE(Added().empty());
}

namespace {

// cmd.exe, a program of its own, running one of its commands on our folders; waits for it.
void RunCommand(const std::wstring& command) {
  wchar_t system[MAX_PATH] = {};
  ASSERT_NE(::GetSystemDirectoryW(system, MAX_PATH), 0u);
  std::wstring line = L"\"" + std::wstring(system) + L"\\cmd.exe\" /c " + command;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                               &info));
  ::CloseHandle(info.hThread);
  EXPECT_EQ(::WaitForSingleObject(info.hProcess, 60000), WAIT_OBJECT_0);
  ::CloseHandle(info.hProcess);
}

std::wstring Leaf(const std::wstring& folder) {
  const std::wstring path = folder.back() == L'\\' ? folder.substr(0, folder.size() - 1) : folder;
  return path.substr(path.find_last_of(L'\\') + 1);
}

}  // namespace

// Held without delete sharing, the folder can't be renamed and another put in its place, not by another program
// either (Wine enforces the sharing for folders too); once the hold ends, the same commands work.
TEST_F(ExtractPackageTest, WhileHeldAnotherProgramCanNeitherRenameNorMoveTheFolder) {
  std::wstring folder;
  UniqueHandle hold;
  ASSERT_EQ(ExtractPackage(folder, hold, View(BuildPackage({{"setup.exe", "MZ"}}))), kPackageOk);
  ASSERT_TRUE(hold);
  const std::wstring path = folder.substr(0, folder.size() - 1);
  const std::wstring moved = root_ + L"moved-" + Leaf(folder);
  RunCommand(L"ren " + path + L" moved-" + Leaf(folder));
  RunCommand(L"move " + path + L" " + moved);
  EXPECT_TRUE(sys::IsFolder(path));
  EXPECT_FALSE(sys::Exists(moved));
  EXPECT_EQ(sys::ReadText(folder + L"setup.exe"), "MZ");

  hold.reset();
  RunCommand(L"ren " + path + L" moved-" + Leaf(folder));
  EXPECT_FALSE(sys::Exists(path));
  EXPECT_TRUE(sys::IsFolder(moved)) << "the commands could not have renamed it anyway";
}

// Our own deletion works through the hold: the contents while it is held, then the folder.
TEST_F(ExtractPackageTest, DeletingWithTheHoldTakesTheFolderAndEverythingInIt) {
  std::wstring folder;
  UniqueHandle hold;
  ASSERT_EQ(ExtractPackage(folder, hold, View(BuildPackage({{"a.txt", "A"}, {"b.dll", "B"}}))), kPackageOk);
  ASSERT_TRUE(hold);
  deleteTree(folder, std::move(hold));
  EXPECT_FALSE(sys::Exists(folder));
  EXPECT_TRUE(Added().empty());
}

TEST_F(ExtractPackageTest, SystemTempIsTakenWhereItExists) {
  const std::wstring systemTemp = WindowsFolder() + L"\\SystemTemp";
  const bool made = !sys::IsFolder(systemTemp) && ::CreateDirectoryW(systemTemp.c_str(), nullptr);
  ASSERT_TRUE(sys::IsFolder(systemTemp));
  EXPECT_EQ(ExtractionParent(), systemTemp + L"\\");
  std::wstring folder;
  EXPECT_EQ(ExtractPackage(folder, View(BuildPackage({{"a.txt", "A"}}))), kPackageOk);
  EXPECT_EQ(folder, systemTemp + L"\\" + Leaf(folder) + L"\\");
  EXPECT_EQ(sys::ReadText(folder + L"a.txt"), "A");
  if (!folder.empty()) RemoveTree(folder);
  if (made) RemoveTree(systemTemp);
}

// Which folder of a Windows folder the extraction folders go into, on the prefix's real drives: C: and D: keep
// descriptors (Wine reports NTFS), E: is a CD drive, whose file system keeps none, as FAT keeps none.
TEST(ExtractionParent, SystemTempThenTempAndNeverOnAVolumeWithoutDescriptors) {
  DWORD flags = 0;
  ASSERT_TRUE(::GetVolumeInformationW(L"E:\\", nullptr, 0, nullptr, nullptr, &flags, nullptr, 0));
  ASSERT_EQ(flags & FILE_PERSISTENT_ACLS, 0u) << "E: keeps descriptors";
  ASSERT_TRUE(::GetVolumeInformationW(L"D:\\", nullptr, 0, nullptr, nullptr, &flags, nullptr, 0));
  ASSERT_NE(flags & FILE_PERSISTENT_ACLS, 0u) << "D: keeps no descriptors";

  enum Entry { kNone, kFolder, kFile };
  struct Case {
    const char* what;
    wchar_t drive;
    Entry systemTemp;
    Entry temp;
    const wchar_t* expected;  // the sub-folder taken, or nothing
  };
  const Case cases[] = {
      {"both", L'C', kFolder, kFolder, L"SystemTemp"},
      {"only Temp", L'C', kNone, kFolder, L"Temp"},
      {"SystemTemp a file", L'C', kFile, kFolder, L"Temp"},
      {"neither", L'C', kNone, kNone, nullptr},
      {"another fixed drive", L'D', kFolder, kFolder, L"SystemTemp"},
      {"a volume without descriptors", L'E', kFolder, kFolder, nullptr},
  };
  const std::wstring name = L"kelto-windows-" + std::to_wstring(::GetCurrentProcessId());
  for (const Case& c : cases) {
    const std::wstring windows = std::wstring(1, c.drive) + L":\\" + name;
    RemoveTree(windows);
    ASSERT_TRUE(::CreateDirectoryW(windows.c_str(), nullptr)) << c.what;
    for (const auto& [sub, entry] : {std::pair{L"\\SystemTemp", c.systemTemp}, std::pair{L"\\Temp", c.temp}}) {
      if (entry == kFolder) {
        ASSERT_TRUE(::CreateDirectoryW((windows + sub).c_str(), nullptr)) << c.what;
      } else if (entry == kFile) {
        ASSERT_TRUE(sys::WriteText(windows + sub, "file")) << c.what;
      }
    }
    const std::wstring expected = c.expected ? windows + L"\\" + c.expected + L"\\" : L"";
    EXPECT_EQ(ExtractionParentIn(windows), expected) << c.what;
    EXPECT_EQ(ExtractionParentIn(windows + L"\\"), expected) << c.what;
    RemoveTree(windows);
  }
  wchar_t windows[MAX_PATH] = {};
  ASSERT_NE(::GetSystemWindowsDirectoryW(windows, MAX_PATH), 0u);
  EXPECT_EQ(ExtractionParent(), ExtractionParentIn(windows));
}

// The name is "kel", a number in hexadecimal and ".tmp", as the system makes temporary names; a name that exists
// (anyone may create entries in the system's temporary folder) is passed over and left as it is.
TEST(CreateExtractionFolder, PassesOverTakenNamesAndChecksWhatItMade) {
  install_test::Sandbox sandbox(L"names");
  const std::wstring parent = sandbox.path() + L"\\";
  // Everything in the parent goes, files too.
  auto empty = [&] {
    for (const std::wstring& name : List(sandbox.path())) {
      RemoveTree(parent + name);
      ::DeleteFileW((parent + name).c_str());
    }
  };
  auto nameOf = [&](UINT number) {
    wchar_t path[MAX_PATH] = {};
    EXPECT_NE(::GetTempFileNameW(parent.c_str(), L"kel", number, path), 0u);
    return std::wstring(path);
  };
  struct Case {
    const char* what;
    unsigned first;
    std::vector<UINT> taken;  // the first a folder with a file in it, the others files
    UINT expected;
  };
  const Case cases[] = {
      {"free", 0x1230, {}, 0x1230},
      {"a folder and a file in the way", 0x1234, {0x1234, 0x1235}, 0x1236},
      {"past the last number, where 0 would make the system choose", 0xFFFF, {0xFFFF}, 1},
  };
  for (const Case& c : cases) {
    for (size_t i = 0; i < c.taken.size(); ++i) {
      const std::wstring planted = nameOf(c.taken[i]);
      if (i == 0) {
        ASSERT_TRUE(::CreateDirectoryW(planted.c_str(), nullptr)) << c.what;
        ASSERT_TRUE(sys::WriteText(planted + L"\\theirs.txt", "theirs")) << c.what;
      } else {
        ASSERT_TRUE(sys::WriteText(planted, "theirs")) << c.what;
      }
    }
    std::wstring folder = L"stale";
    UniqueHandle hold;
    ASSERT_EQ(CreateExtractionFolder(parent, folder, hold, c.first), kPackageOk) << c.what;
    EXPECT_TRUE(hold) << c.what;
    EXPECT_EQ(folder, nameOf(c.expected) + L"\\") << c.what;
    EXPECT_EQ(_wcsnicmp(Leaf(folder).c_str(), L"kel", 3), 0) << c.what;
    EXPECT_TRUE(List(folder).empty()) << c.what;
    for (size_t i = 0; i < c.taken.size(); ++i) {
      const std::wstring planted = nameOf(c.taken[i]);
      EXPECT_EQ(sys::ReadText(i == 0 ? planted + L"\\theirs.txt" : planted), "theirs") << c.what;
    }
    hold.reset();
    empty();
  }

  // Where the final path can be told only the older way, the folder is still made and checked; where it can't
  // be told at all, nothing is made.
  const struct {
    FinalPathSource source;
    PackageResult expected;
  } sources[] = {{FinalPathSource::ObjectName, kPackageOk}, {FinalPathSource::None, kPackageNoTempFolder}};
  for (const auto& row : sources) {
    SetFinalPathSourceForTests(row.source);
    std::wstring folder;
    UniqueHandle hold;
    EXPECT_EQ(CreateExtractionFolder(parent, folder, hold), row.expected);
    SetFinalPathSourceForTests(FinalPathSource::Automatic);
    EXPECT_EQ(hold.valid(), row.expected == kPackageOk);
    EXPECT_EQ(List(sandbox.path()).size(), row.expected == kPackageOk ? 1u : 0u);
    hold.reset();
    empty();
  }

  // A parent that is not there.
  std::wstring folder = L"stale";
  UniqueHandle hold;
  EXPECT_EQ(CreateExtractionFolder(parent + L"missing\\", folder, hold), kPackageNoTempFolder);
  EXPECT_TRUE(folder.empty());
  EXPECT_FALSE(hold);
}

// Runs the extractor against the real file system, with TMP/TEMP pointed at a folder of the test's own.
#include "engine/extract_package.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/package_writer.h"
#include "framework/base/admin_only.h"
#include "install_test_helpers.h"
#include "tests/driver/system_state.h"
#include "tests/driver/walk.h"

namespace {

using install_test::BuildPackage;
using Files = install_test::PackageFiles;

ByteView View(const std::vector<uint8_t>& v) { return {v.data(), v.size()}; }

// The DACL of a file or folder in SDDL form, or "<unreadable>".
std::wstring SecurityOf(const std::wstring& path) {
  DWORD needed = 0;
  ::GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
  std::vector<BYTE> descriptor(needed ? needed : 1);
  LPWSTR text = nullptr;
  if (!::GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed) ||
      !::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1,
                                                              DACL_SECURITY_INFORMATION, &text, nullptr)) {
    return L"<unreadable>";
  }
  const std::wstring sddl = text;
  ::LocalFree(text);
  return sddl;
}

// Whom the allowing entries of an SDDL DACL name ("SY", "BA", ...).
bool RunsOnWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}


std::set<std::wstring> TrusteesOf(const std::wstring& sddl) {
  std::set<std::wstring> trustees;
  for (size_t open = sddl.find(L"(A;"); open != std::wstring::npos; open = sddl.find(L"(A;", open + 1)) {
    const size_t close = sddl.find(L')', open);
    const size_t lastSemicolon = sddl.rfind(L';', close);
    trustees.insert(sddl.substr(lastSemicolon + 1, close - lastSemicolon - 1));
  }
  return trustees;
}

using sys::List;
using sys::RemoveTree;

class ExtractPackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t base[MAX_PATH + 1] = {};
    ASSERT_NE(::GetTempPathW(MAX_PATH + 1, base), 0u);
    sandbox_ = std::wstring(base) + L"kelto-extract-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    root_ = sandbox_ + L"temp\\";
    ASSERT_TRUE(::CreateDirectoryW(sandbox_.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(root_.c_str(), nullptr));
    for (const wchar_t* var : {L"TMP", L"TEMP"}) {
      wchar_t old[MAX_PATH + 1] = {};
      saved_.emplace_back(var, ::GetEnvironmentVariableW(var, old, MAX_PATH + 1) ? old : L"");
      ::SetEnvironmentVariableW(var, root_.c_str());
    }
  }
  void TearDown() override {
    for (const auto& [var, value] : saved_) ::SetEnvironmentVariableW(var.c_str(), value.empty() ? nullptr : value.c_str());
    RemoveTree(sandbox_);
  }

  // The one thing the extractor may leave in the temporary folder is the extraction folder itself.
  void ExpectOnlyTheFolderIn(const std::wstring& folder) {
    const std::vector<std::wstring> left = List(root_);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(root_ + left[0] + L"\\", folder);
    EXPECT_EQ(List(sandbox_).size(), 1u);  // nothing beside the temporary folder either
  }

  std::wstring sandbox_, root_;
  std::vector<std::pair<std::wstring, std::wstring>> saved_;
};

}  // namespace

TEST_F(ExtractPackageTest, WritesEveryEntryIntoAFreshFolderUnderTemp) {
  const std::string binary("MZ\x90\0\x03\0\0\0\xFF\xFE", 10);
  const Files files = {{"Kelto Quorbel.exe", binary},
                       {"empty.dat", ""},
                       {"config.xml", "<config version=\"1\"/>"},
                       {"dup.txt", "first"},
                       {"dup.txt", "second"}};
  std::wstring folder = L"stale";
  ASSERT_EQ(ExtractPackage(folder, View(BuildPackage(files))), kPackageOk);

  ASSERT_GT(folder.size(), root_.size());
  EXPECT_EQ(folder.compare(0, root_.size(), root_), 0);
  EXPECT_EQ(folder.back(), L'\\');
  const std::wstring leaf = folder.substr(root_.size(), folder.size() - root_.size() - 1);
  EXPECT_EQ(leaf.find(L'\\'), std::wstring::npos);
  EXPECT_EQ(_wcsnicmp(leaf.c_str(), L"kel", 3), 0);
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
    EXPECT_EQ(::GetFileAttributesW((sandbox_ + L"evil.txt").c_str()), INVALID_FILE_ATTRIBUTES) << c.what;
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
      EXPECT_TRUE(List(root_).empty()) << c.what;
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
  EXPECT_TRUE(List(root_).empty());
}

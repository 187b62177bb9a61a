// The registry helpers against the prefix's real registry, in both views where the prefix has two.
#include "framework/base/registry.h"

#include <gtest/gtest.h>

#include "install_test_helpers.h"

namespace {

using namespace install_test;

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    key_ = L"Software\\Kelto Tests\\registry-" + std::to_wstring(::GetCurrentProcessId());
    DeleteKeyAndEmptyParents(HKEY_CURRENT_USER, key_, L"Software");
  }
  void TearDown() override { DeleteKeyAndEmptyParents(HKEY_CURRENT_USER, key_, L"Software"); }
  std::wstring key_;
};

TEST_F(RegistryTest, WrittenStringIsRegSzWithItsTerminatorAndMissingParentsAreCreated) {
  const std::wstring deep = key_ + L"\\one\\two";
  const std::wstring text = L"C:\\Program Files\\Kelto Software\\Kelto Quorbel\\Uninstall.exe";
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, deep, L"UninstallString", text));

  const RawValue raw = ReadRaw(HKEY_CURRENT_USER, deep, L"UninstallString");
  ASSERT_TRUE(raw.found);
  EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(raw.bytes.size(), 2 * text.size() + 2);
  EXPECT_EQ(raw.text(), text);
  EXPECT_EQ(raw.bytes[raw.bytes.size() - 1], 0);
  EXPECT_EQ(raw.bytes[raw.bytes.size() - 2], 0);

  // An empty text still stores its terminator.
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, deep, L"ExistPath", L""));
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, deep, L"ExistPath").bytes.size(), 2u);
  // Writing again replaces the data.
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, deep, L"UninstallString", L"x"));
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, deep, L"UninstallString").text(), L"x");
}

TEST_F(RegistryTest, EmptySubKeyWritesIntoTheGivenKeyAndLeavesItOpen) {
  HKEY root;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr),
            ERROR_SUCCESS);
  EXPECT_TRUE(WriteRegistryString(root, L"", L"Name", L"first"));
  EXPECT_TRUE(WriteRegistryString(root, L"", L"", L"default value"));
  // Still usable: the helper did not close the caller's key.
  EXPECT_EQ(::RegSetValueExW(root, L"After", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"a"), 4), ERROR_SUCCESS);
  ::RegCloseKey(root);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, key_, L"Name").text(), L"first");
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, key_, L"").text(), L"default value");
}

TEST_F(RegistryTest, WriteFailsOnlyWhenTheKeyCannotBeCreated) {
  // A lasting key can't live below a volatile one.
  const std::wstring volatileKey = key_ + L"\\volatile";
  HKEY created;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, volatileKey.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &created, nullptr),
            ERROR_SUCCESS);
  ::RegCloseKey(created);
  EXPECT_FALSE(WriteRegistryString(HKEY_CURRENT_USER, volatileKey + L"\\child", L"Name", L"text"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, volatileKey + L"\\child"));
  EXPECT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, volatileKey, L"Name", L"text"));
}

TEST_F(RegistryTest, ReaderReturnsTextsAndNumbersAndFallsBackForEverythingElse) {
  const std::wstring dflt = L"<default>";
  const auto set = [&](const wchar_t* name, DWORD type, const void* data, DWORD size) {
    SetRaw(HKEY_CURRENT_USER, key_, name, type, data, size);
  };
  const DWORD minusOne = 0xFFFFFFFFu, seven = 7;
  const BYTE binary[] = {'a', 0, 'b', 0, 0, 0};
  const wchar_t unterminated[] = {L'a', L'b', L'c'};
  set(L"text", REG_SZ, L"C:\\Kelto\\", 20);
  set(L"expand", REG_EXPAND_SZ, L"%TEMP%\\x", 18);
  set(L"minusOne", REG_DWORD, &minusOne, 4);
  set(L"seven", REG_DWORD, &seven, 4);
  set(L"empty", REG_SZ, L"", 2);
  set(L"binary", REG_BINARY, binary, sizeof(binary));
  set(L"multi", REG_MULTI_SZ, L"a\0b\0", 10);
  set(L"unterminated", REG_SZ, unterminated, sizeof(unterminated));
  set(L"", REG_SZ, L"unnamed", 16);

  const auto read = [&](const wchar_t* name) { return ReadRegistryString(HKEY_CURRENT_USER, key_, name, dflt); };
  EXPECT_EQ(read(L"text"), L"C:\\Kelto\\");
  EXPECT_EQ(read(L"expand"), L"%TEMP%\\x");  // not expanded
  EXPECT_EQ(read(L"minusOne"), L"-1");
  EXPECT_EQ(read(L"seven"), L"7");
  EXPECT_EQ(read(L"empty"), dflt);
  EXPECT_EQ(read(L"binary"), dflt);
  EXPECT_EQ(read(L"multi"), dflt);
  EXPECT_EQ(read(L"unterminated"), L"abc");
  EXPECT_EQ(read(L"missing"), dflt);
  EXPECT_EQ(read(L""), L"unnamed");
}

TEST_F(RegistryTest, ReadingAMissingKeyGivesTheDefaultAndCreatesTheKeyEmpty) {
  const std::wstring missing = key_ + L"\\absent";
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, missing, L"InstallPath", L"fallback"), L"fallback");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, missing));
  EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, missing, L"InstallPath").found);
}

// --- the 64-bit view ---------------------------------------------------------------------------------------

// The machine type of the system folder's kernel32.dll: x64 while redirection is off in a 64-bit prefix,
// i386 while it is on.
WORD SystemKernelMachine() {
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  const std::string image = ReadText(std::wstring(system) + L"\\kernel32.dll");
  if (image.size() < 0x40) return 0;
  const uint32_t peOffset = *reinterpret_cast<const uint32_t*>(image.data() + 0x3C);
  if (image.size() < peOffset + 6) return 0;
  return *reinterpret_cast<const WORD*>(image.data() + peOffset + 4);
}

class Registry64Test : public ::testing::Test {
 protected:
  void SetUp() override {
    key_ = L"Software\\Kelto Tests Registry64 " + std::to_wstring(::GetCurrentProcessId());
    TearDown();
  }
  void TearDown() override {
    DeleteKey(HKEY_LOCAL_MACHINE, key_, KEY_WOW64_64KEY);
    DeleteKey(HKEY_LOCAL_MACHINE, key_, KEY_WOW64_32KEY);
  }
  std::wstring key_;
};

TEST_F(Registry64Test, FindsAValueWrittenOnlyInThe64BitViewAndRestoresRedirection) {
  if (!PrefixIs64Bit()) GTEST_SKIP() << "only a 64-bit prefix has a second view";
  if (sizeof(void*) == 8) GTEST_SKIP() << "a 64-bit process has no file-system redirection";
  const WORD redirected = SystemKernelMachine();
  ASSERT_EQ(redirected, IMAGE_FILE_MACHINE_I386);
  SetRaw(HKEY_LOCAL_MACHINE, key_, L"InstallPath", REG_SZ, L"C:\\K64\\", 16, KEY_WOW64_64KEY);

  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, key_, L"InstallPath", L"none"), L"none");
  EXPECT_EQ(ReadRegistryString64(HKEY_LOCAL_MACHINE, key_, L"InstallPath", L"none"), L"C:\\K64\\");
  EXPECT_EQ(SystemKernelMachine(), IMAGE_FILE_MACHINE_I386) << "file-system redirection left off";
  EXPECT_EQ(ReadRegistryString64(HKEY_LOCAL_MACHINE, key_, L"Version", L"none"), L"none");
}

TEST_F(Registry64Test, LeavesRedirectionOffWhenTheCallerHadSwitchedItOff) {
  if (!PrefixIs64Bit() || sizeof(void*) == 8)
    GTEST_SKIP() << "redirection exists only for a 32-bit process in a 64-bit prefix";
  PVOID callerState = nullptr;
  ASSERT_TRUE(::Wow64DisableWow64FsRedirection(&callerState));
  ASSERT_EQ(SystemKernelMachine(), IMAGE_FILE_MACHINE_AMD64);
  ReadRegistryString64(HKEY_LOCAL_MACHINE, key_, L"InstallPath", L"");
  EXPECT_EQ(SystemKernelMachine(), IMAGE_FILE_MACHINE_AMD64);
  ASSERT_TRUE(::Wow64RevertWow64FsRedirection(callerState));
  EXPECT_EQ(SystemKernelMachine(), IMAGE_FILE_MACHINE_I386);
}

TEST_F(Registry64Test, GivesEmptyTextWhereRedirectionCannotBeSwitched) {
  if (PrefixIs64Bit()) GTEST_SKIP() << "a 64-bit prefix can switch redirection";
  SetRaw(HKEY_LOCAL_MACHINE, key_, L"InstallPath", REG_SZ, L"C:\\K\\", 10);
  EXPECT_EQ(ReadRegistryString64(HKEY_LOCAL_MACHINE, key_, L"InstallPath", L"fallback"), L"");
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, key_, L"InstallPath", L"fallback", true), L"C:\\K\\");
}

}  // namespace

// The product's registry records as a later setup and the system's program list read them.
#include "engine/product_records.h"

#include <gtest/gtest.h>

#include "install_test_helpers.h"

namespace {

using namespace install_test;

// The records go where a 32-bit program's unflagged writes go; in a 64-bit prefix that is Wow6432Node.
constexpr REGSAM kProgramView = KEY_WOW64_32KEY;

// Every value a record holds must be REG_SZ with its terminator counted.
void ExpectString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text,
                  REGSAM view = kProgramView) {
  const RawValue raw = ReadRaw(root, key, name, view);
  ASSERT_TRUE(raw.found) << "missing " << std::string(name.begin(), name.end());
  EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ)) << std::string(name.begin(), name.end());
  EXPECT_EQ(raw.bytes.size(), 2 * text.size() + 2) << std::string(name.begin(), name.end());
  EXPECT_EQ(raw.text(), text) << std::string(name.begin(), name.end());
}

class ProductRecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveProductRecords();
    folder_ = sandbox_.path() + L"\\";
    options_.installFolder = folder_;
    options_.existPath = L"c:\\users";
    options_.allUsers = 0;
  }
  void TearDown() override { RemoveProductRecords(); }

  Sandbox sandbox_{L"records"};
  std::wstring folder_;
  SetupOptions options_;
};

TEST_F(ProductRecordsTest, WritesTheUninstallEntryTheProductKeyAndTheLanguage) {
  ASSERT_TRUE(WriteFileBytes(folder_ + L"config.xml", "<?xml version=\"1.0\"?>\r\n"
                                                      "<config_info version=\"2.2.5.0301\"><a/></config_info>"));
  WriteProductRecords(options_);

  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", L"Kelto Quorbel");
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString", folder_ + L"Uninstall.exe");
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayIcon", folder_ + L"Kelto Quorbel.exe");
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallPath", folder_ + L"Uninstall.exe");
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"Publisher", L"Kelto Software Company");
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion", L"2.2.5.0301");
  ExpectString(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath", folder_);
  ExpectString(HKEY_LOCAL_MACHINE, kProductKey, L"ExistPath", L"c:\\users");
  ExpectString(HKEY_LOCAL_MACHINE, kProductKey, L"Version", L"2.2.5.0301");
  ExpectString(HKEY_LOCAL_MACHINE, kProductKey, L"IsForAllUser", L"0");
  ExpectString(HKEY_CURRENT_USER, kLanguageKey, L"langid", L"40811d", 0);
}

TEST_F(ProductRecordsTest, AllUsersIsOnlyRecordedAndFrenchHasItsNumber) {
  options_.allUsers = 1;
  options_.SkinIndex = 1;
  WriteProductRecords(options_);
  ExpectString(HKEY_LOCAL_MACHINE, kProductKey, L"IsForAllUser", L"1");
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", L"Kelto Quorbel");
  ExpectString(HKEY_CURRENT_USER, kLanguageKey, L"langid", L"40814d", 0);
}

TEST_F(ProductRecordsTest, LanguageNumbersOfAllInstallerLanguages) {
  // English, French, German, Korean, Japanese, Chinese simplified and traditional in the language table.
  const uint16_t expected[] = {40811, 40814, 40816, 40819, 40833, 40807, 40808};
  for (int skin = 0; skin < 7; ++skin) EXPECT_EQ(LanguageNumber(skin), expected[skin]) << skin;
  EXPECT_EQ(LanguageNumber(7), 40811);
  EXPECT_EQ(LanguageNumber(-1), 40811);
}

TEST_F(ProductRecordsTest, VersionFallsBackToTheSetupsOwnForAnyUnusableConfig) {
  const std::string unusable[] = {"", "not xml at all", "<config_info build=\"7\"/>",
                                  "<config_info version=\"\"/>"};
  for (const std::string& bytes : unusable) {
    ASSERT_TRUE(WriteFileBytes(folder_ + L"config.xml", bytes));
    WriteProductRecords(options_);
    ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion", L"2.2.4.0225");
    ExpectString(HKEY_LOCAL_MACHINE, kProductKey, L"Version", L"2.2.4.0225");
    ExpectString(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath", folder_);
  }
  ::DeleteFileW((folder_ + L"config.xml").c_str());
  WriteProductRecords(options_);
  ExpectString(HKEY_LOCAL_MACHINE, kProductKey, L"Version", L"2.2.4.0225");
}

TEST_F(ProductRecordsTest, MachineRecordsLandInThe32BitViewOnly) {
  if (!PrefixIs64Bit()) GTEST_SKIP() << "a 32-bit prefix has one view";
  WriteProductRecords(options_);
  EXPECT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath", KEY_WOW64_32KEY).found);
  EXPECT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Kelto Software\\Kelto Quorbel", L"InstallPath",
                      KEY_WOW64_64KEY)
                  .found);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey, KEY_WOW64_64KEY));
  EXPECT_FALSE(ReadRaw(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", KEY_WOW64_64KEY).found);
}

}  // namespace

// The product's registry records as a later setup and the system's program list read them.
#include "engine/product_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>

#include "install_test_helpers.h"

namespace {

using namespace install_test;

// The records go where a 32-bit program's unflagged writes go; in a 64-bit prefix that is Wow6432Node.
constexpr REGSAM kProgramView = kSetupView;

// Every value a record holds must be REG_SZ with its terminator counted.
void ExpectString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text,
                  REGSAM view = kProgramView) {
  const RawValue raw = ReadRaw(root, key, name, view);
  ASSERT_TRUE(raw.found) << "missing " << std::string(name.begin(), name.end());
  EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ)) << std::string(name.begin(), name.end());
  EXPECT_EQ(raw.bytes.size(), 2 * text.size() + 2) << std::string(name.begin(), name.end());
  EXPECT_EQ(raw.text(), text) << std::string(name.begin(), name.end());
}

void ExpectDword(const std::wstring& name, DWORD expected) {
  const RawValue raw = ReadRaw(HKEY_LOCAL_MACHINE, kUninstallKey, name, kProgramView);
  ASSERT_TRUE(raw.found) << "missing " << std::string(name.begin(), name.end());
  EXPECT_EQ(raw.type, static_cast<DWORD>(REG_DWORD)) << std::string(name.begin(), name.end());
  ASSERT_EQ(raw.bytes.size(), sizeof(DWORD)) << std::string(name.begin(), name.end());
  DWORD value = 0;
  std::memcpy(&value, raw.bytes.data(), sizeof(value));
  EXPECT_EQ(value, expected) << std::string(name.begin(), name.end());
}

// The value names of a key in the order the registry keeps them.
std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& key, REGSAM view) {
  std::vector<std::wstring> names;
  HKEY opened;
  if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (::RegEnumValueW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.push_back(name);
  }
  ::RegCloseKey(opened);
  return names;
}

using sys::Today;

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
  ASSERT_TRUE(WriteText(folder_ + L"config.xml",
                        "<?xml version=\"1.0\"?>\r\n"
                        "<config_info version=\"2.2.5.0301\"><a/></config_info>"));
  WriteProductRecords(options_, BuiltinTexts());

  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", L"Kelto Quorbel");
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString", L"\"" + folder_ + L"Uninstall.exe\"");
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayIcon", folder_ + L"Kelto Quorbel.exe");
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallPath", folder_ + L"Uninstall.exe");
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"Publisher", L"Kelto Software Company");
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion", L"2.2.5.0301");
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation", folder_);
  ExpectDword(L"NoModify", 1);
  ExpectDword(L"NoRepair", 1);
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"URLInfoAbout", L"https://www.kelto.example");
  ExpectString(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath", folder_);
  ExpectString(HKEY_LOCAL_MACHINE, kProductKey, L"ExistPath", L"c:\\users");
  ExpectString(HKEY_LOCAL_MACHINE, kProductKey, L"Version", L"2.2.5.0301");
  ExpectString(HKEY_LOCAL_MACHINE, kProductKey, L"IsForAllUser", L"0");
  ExpectString(HKEY_CURRENT_USER, kLanguageKey, L"langid", L"40811d", 0);
}

// What the system's program list reads, for a folder with blanks in its path: the six first values in their
// order, then the ones that describe the installation.
TEST_F(ProductRecordsTest, TheUninstallEntryQuotesItsCommandAndDescribesTheInstallation) {
  folder_ = sandbox_.path() + L"\\Program Files\\Kelto Software\\Kelto Quorbel\\";
  options_.installFolder = folder_;
  MakeFolders(folder_ + L"lex");
  ASSERT_TRUE(WriteText(folder_ + L"Kelto Quorbel.exe", std::string(1500, 'p')));
  ASSERT_TRUE(WriteText(folder_ + L"lex\\tech.tlx", std::string(2000, 'w')));
  ASSERT_TRUE(WriteText(folder_ + L"empty.txt", ""));
  const std::wstring before = Today();
  WriteProductRecords(
      options_, [](unsigned id) { return id == 3 ? std::wstring(L"https://kelto.example/fr") : BuiltinText(id); });

  // Exactly these values; Wine lists them sorted, Windows in the order written.
  const std::vector<std::wstring> names = ValueNames(HKEY_LOCAL_MACHINE, kUninstallKey, kProgramView);
  EXPECT_EQ(std::set<std::wstring>(names.begin(), names.end()),
            (std::set<std::wstring>{L"DisplayName", L"UninstallString", L"DisplayIcon", L"UninstallPath", L"Publisher",
                                    L"DisplayVersion", L"InstallLocation", L"InstallDate", L"EstimatedSize",
                                    L"NoModify", L"NoRepair", L"URLInfoAbout"}));
  EXPECT_EQ(names.size(), 12u);
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString", L"\"" + folder_ + L"Uninstall.exe\"");
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallPath", folder_ + L"Uninstall.exe");
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayIcon", folder_ + L"Kelto Quorbel.exe");
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation", folder_);
  // The day of the install, even when the test runs across midnight.
  const std::wstring date = ReadRaw(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallDate", kProgramView).text();
  EXPECT_TRUE(date == before || date == Today()) << std::string(date.begin(), date.end());
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallDate", date);
  // The product's 3500 bytes in the folder and below it, rounded up to whole KB.
  ExpectDword(L"EstimatedSize", 4);
  ExpectDword(L"NoModify", 1);
  ExpectDword(L"NoRepair", 1);
  ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"URLInfoAbout", L"https://kelto.example/fr");
}

// Only what the product's steps install counts, in whole KB rounded up: the folder may be one that other programs
// share (a drive's root, Program Files), and walking it would count them all.
TEST_F(ProductRecordsTest, EstimatedSizeCountsTheProductsFilesOnly) {
  EXPECT_EQ(InstalledSizeKb(sandbox_.path()), 0u);
  ASSERT_TRUE(WriteText(folder_ + L"Uninstall.exe", std::string(1024, 'u')));
  EXPECT_EQ(InstalledSizeKb(sandbox_.path()), 1u);
  EXPECT_EQ(InstalledSizeKb(folder_), 1u);
  const struct {
    const wchar_t* path;
    size_t bytes;
    uint32_t kb;  // the estimate afterwards
  } files[] = {
      {L"other program.exe", 3 << 20, 1},  // not the product's
      {L"deep\\deeper\\b.bin", 70000, 1},
      {L"lex\\ssceam.tlx", 1, 2},  // each step's files, in their folders
      {L"Stamps\\Sign Here\\Sign Here.pdf", 1023, 2},
      {L"Stamps\\Sign Here\\Signhere.pdf", 1024, 3},
      {L"lang\\uninst_lang_fr_fr.xml", 1024, 4},
      {L"plugins\\RiRovozeVA\\curl\\libcurl.dll", 1024, 5},
      {L"Readme.txt", 1024, 6},  // whichever readme it came from
      {L"Readme_ENG.txt", 1024, 6},
      {L"kqmvpr_drv.dll", 1024, 6},  // the printer's files go to the spooler
  };
  for (const auto& file : files) {
    const std::wstring path = folder_ + file.path;
    MakeFolders(path.substr(0, path.rfind(L'\\')));
    ASSERT_TRUE(WriteText(path, std::string(file.bytes, 'x')));
    EXPECT_EQ(InstalledSizeKb(folder_), file.kb) << Narrow(file.path);
  }
  // A folder under a file's name is not that file.
  MakeFolders(folder_ + L"kpdfcjk.bin");
  EXPECT_EQ(InstalledSizeKb(folder_), 6u);
  EXPECT_EQ(InstalledSizeKb(folder_ + L"missing\\"), 0u);
}

TEST_F(ProductRecordsTest, AllUsersIsOnlyRecordedAndFrenchHasItsNumber) {
  options_.allUsers = 1;
  options_.SkinIndex = 1;
  WriteProductRecords(options_, BuiltinTexts());
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
  const std::string unusable[] = {"", "not xml at all", "<config_info build=\"7\"/>", "<config_info version=\"\"/>"};
  for (const std::string& bytes : unusable) {
    ASSERT_TRUE(WriteText(folder_ + L"config.xml", bytes));
    WriteProductRecords(options_, BuiltinTexts());
    ExpectString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion", L"2.2.4.0225");
    ExpectString(HKEY_LOCAL_MACHINE, kProductKey, L"Version", L"2.2.4.0225");
    ExpectString(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath", folder_);
  }
  ::DeleteFileW((folder_ + L"config.xml").c_str());
  WriteProductRecords(options_, BuiltinTexts());
  ExpectString(HKEY_LOCAL_MACHINE, kProductKey, L"Version", L"2.2.4.0225");
}

TEST_F(ProductRecordsTest, MachineRecordsLandInThe32BitViewOnly) {
  if (!PrefixIs64Bit() || sizeof(void*) == 8) GTEST_SKIP() << "only a 32-bit process in a 64-bit prefix has two views";
  WriteProductRecords(options_, BuiltinTexts());
  EXPECT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath", KEY_WOW64_32KEY).found);
  EXPECT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Kelto Software\\Kelto Quorbel", L"InstallPath",
                      KEY_WOW64_64KEY)
                  .found);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey, KEY_WOW64_64KEY));
  EXPECT_FALSE(ReadRaw(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", KEY_WOW64_64KEY).found);
}

}  // namespace

// Start-up checks against the real system of the Wine prefix.
#include <gtest/gtest.h>

#include <string>

#include "app/setup_session.h"
#include "framework/base/handles.h"
#include "framework/base/system_library.h"
#include "tests/driver/system_state.h"

namespace {

using sys::PrefixIs64Bit;

TEST(Preflight, AdministratorPassesAndWow64FollowsThePrefix) {
  SetupSession session;
  session.Reset();
  EXPECT_EQ(session.PreflightCheck(), 1);
  EXPECT_EQ(session.options.isAdmin, 1);
  EXPECT_EQ(session.options.isWow64, PrefixIs64Bit() ? 1 : 0);
  EXPECT_EQ(SetupSession::DetectWow64(), PrefixIs64Bit() ? 1 : 0);
}

TEST(Preflight, ResetUsesTheProgramFilesFolder) {
  SetupSession session;
  session.Reset();
  wchar_t expected[MAX_PATH];
  ASSERT_TRUE(::ExpandEnvironmentStringsW(L"%ProgramFiles%\\Kelto Software\\Kelto Quorbel", expected, MAX_PATH));
  EXPECT_EQ(session.options.defaultInstallFolder, expected);
  EXPECT_EQ(session.options.installFolder, expected);
  EXPECT_EQ(session.options.languageMode, 0);
  EXPECT_EQ(session.options.setupVersion, L"2.2.4.0225");
}

// The system libraries (the installer service, the spooler) are loaded by their full system paths, and wherever
// the system has SetDefaultDllDirectories (Wine has) with LOAD_LIBRARY_SEARCH_SYSTEM32, which takes their
// dependencies from the system folder alone; the older flag would go on to the folders of PATH. Wine loads the
// same files either way, so what is passed to the loader is checked.
TEST(Preflight, SystemLibrariesLoadWithTheSystemFolderSearch) {
  constexpr DWORD kSearchSystem32 = 0x00000800;
  ASSERT_NE(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories"), nullptr);
  EXPECT_EQ(SystemLibraryLoadFlags(), kSearchSystem32);
  const UniqueModule msi(LoadSystemLibrary(L"msi.dll"));
  EXPECT_TRUE(msi.valid());
}

// The setup leaves the folder it was started in for the system folder, but the folder browser still opens where
// the user started it.
TEST(Preflight, LeavingTheStartFolderKeepsItForTheFolderBrowser) {
  wchar_t before[MAX_PATH], after[MAX_PATH], system[MAX_PATH];
  ASSERT_TRUE(::GetCurrentDirectoryW(MAX_PATH, before));
  ASSERT_TRUE(::GetSystemDirectoryW(system, MAX_PATH));
  LeaveStartFolder();
  ASSERT_TRUE(::GetCurrentDirectoryW(MAX_PATH, after));
  ::SetCurrentDirectoryW(before);
  EXPECT_EQ(StartFolder(), before);
  std::wstring now = after;
  if (now.size() > 3 && now.back() == L'\\') now.pop_back();
  EXPECT_EQ(_wcsicmp(now.c_str(), system), 0) << "now in " << std::string(now.begin(), now.end());
}

// Packed form of the product code, as the installer service files its products.
const wchar_t kPackedCode[] = L"17B2F0A685C391E4D9A2B5E7041C8F3A";

class InstalledProduct : public ::testing::Test {
 protected:
  static REGSAM View() { return PrefixIs64Bit() ? KEY_WOW64_64KEY : 0; }
  static std::wstring ProductsKey() { return std::wstring(L"Software\\Classes\\Installer\\Products\\") + kPackedCode; }
  static std::wstring PropertiesKey() {
    return std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\") +
           kPackedCode + L"\\InstallProperties";
  }
  void Seed() {
    HKEY key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, ProductsKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | View(),
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, PropertiesKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | View(),
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    DWORD one = 1;
    ::RegSetValueExW(key, L"WindowsInstaller", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one));
    ::RegCloseKey(key);
  }
  void TearDown() override {
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, ProductsKey().c_str(), View(), 0);
    const std::wstring products = PropertiesKey().substr(0, PropertiesKey().rfind(L'\\'));
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, PropertiesKey().c_str(), View(), 0);
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, products.c_str(), View(), 0);
  }
};

TEST_F(InstalledProduct, QueryFindsOnlyAProductTheServiceKnows) {
  EXPECT_FALSE(SetupSession::QueryMsiProductInstalled());
  Seed();
  EXPECT_TRUE(SetupSession::QueryMsiProductInstalled());
}

}  // namespace

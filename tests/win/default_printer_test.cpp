// Making the virtual printer the default printer, against the prefix's real spooler.
#include "integration/default_printer.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <string>
#include "spooler_test_helpers.h"
#include "tests/driver/system_state.h"
#include "tests/driver/walk.h"

namespace {

constexpr wchar_t kPrinter[] = L"Kelto Quorbel Printer";
constexpr wchar_t kDriver[] = L"Kelto Quorbel Default Test Driver";
const wchar_t* const kEnvironment = kProcessEnvironment;
const wchar_t* const kDriverFiles[] = {L"kqmvpr_drv.dll", L"kqmvpr_ui.dll", L"kqmvpr_pnt.txt"};

using sys::StageFolder;

std::wstring DriverDirectory() {
  wchar_t directory[MAX_PATH] = L"";
  DWORD needed = 0;
  std::wstring environment = kEnvironment;
  ::GetPrinterDriverDirectoryW(nullptr, environment.data(), 1, reinterpret_cast<LPBYTE>(directory), sizeof(directory),
                               &needed);
  return directory;
}

using sys::DefaultPrinter;  // "<none>" when there is none

void DeleteTestPrinter() {
  std::wstring name = kPrinter;
  PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE printer = nullptr;
  if (::OpenPrinterW(name.data(), &printer, &all)) {
    ::DeletePrinter(printer);
    ::ClosePrinter(printer);
  }
  std::wstring environment = kEnvironment, driver = kDriver;
  ::DeletePrinterDriverW(nullptr, environment.data(), driver.data());
  for (const wchar_t* file : kDriverFiles) {
    ::DeleteFileW((DriverDirectory() + L"\\" + file).c_str());
    ::DeleteFileW((DriverDirectory() + L"\\3\\" + file).c_str());
  }
}

// The printer on a driver of the test's own with the package's 32-bit files, which Wine's spooler takes in
// either prefix.
bool AddTestPrinter() {
  for (const wchar_t* file : kDriverFiles) {
    if (!::CopyFileW((StageFolder() + L"\\" + file).c_str(), (DriverDirectory() + L"\\" + file).c_str(), FALSE)) {
      return false;
    }
  }
  std::wstring driver = kDriver, environment = kEnvironment, driverPath = kDriverFiles[0], configFile = kDriverFiles[1],
               dataFile = kDriverFiles[2];
  DRIVER_INFO_3W driverInfo{};
  driverInfo.cVersion = 3;
  driverInfo.pName = driver.data();
  driverInfo.pEnvironment = environment.data();
  driverInfo.pDriverPath = driverPath.data();
  driverInfo.pConfigFile = configFile.data();
  driverInfo.pDataFile = dataFile.data();
  if (!::AddPrinterDriverW(nullptr, 3, reinterpret_cast<LPBYTE>(&driverInfo))) return false;
  return AddPrinterDirectly(kPrinter, kDriver, L"LPT1:");
}

class DefaultPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteTestPrinter();
    before_ = DefaultPrinter();
  }
  void TearDown() override {
    DeleteTestPrinter();
    if (before_ != L"<none>") ::SetDefaultPrinterW(before_.c_str());
  }
  std::wstring before_;
};

TEST_F(DefaultPrinterTest, TheVirtualPrinterBecomesTheDefault) {
  ASSERT_TRUE(AddTestPrinter());
  ASSERT_NE(DefaultPrinter(), kPrinter);
  EXPECT_NE(MakeDefaultPrinter(kPrinter), 0);
  EXPECT_EQ(DefaultPrinter(), kPrinter);
}

TEST_F(DefaultPrinterTest, WithoutThePrinterNothingChanges) {
  EXPECT_EQ(MakeDefaultPrinter(kPrinter), 0);
  EXPECT_EQ(DefaultPrinter(), before_);
}

TEST_F(DefaultPrinterTest, AMissingLibraryOrEntryDoesNothing) {
  ASSERT_TRUE(AddTestPrinter());
  const std::wstring before = DefaultPrinter();
  EXPECT_EQ(MakeDefaultPrinterThrough(L"kelto-no-such-spooler.drv", "SetDefaultPrinterW", kPrinter), 0);
  EXPECT_EQ(MakeDefaultPrinterThrough(L"winspool.drv", "SetDefaultPrinterKelto", kPrinter), 0);
  EXPECT_EQ(DefaultPrinter(), before);
}

}  // namespace

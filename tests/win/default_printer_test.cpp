// Making the virtual printer the default printer, against the prefix's real spooler.
#include "integration/default_printer.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <string>
#include "tests/driver/system_state.h"
#include "tests/driver/walk.h"

namespace {

constexpr wchar_t kPrinter[] = L"Kelto Quorbel Printer";
constexpr wchar_t kDriver[] = L"Kelto Quorbel Default Test Driver";
const wchar_t* const kEnvironment = sys::kProcessEnvironment;

using sys::DefaultPrinter;  // "<none>" when there is none

void DeleteTestPrinter() {
  sys::DeletePrinterNamed(kPrinter);
  std::wstring environment = kEnvironment, driver = kDriver;
  ::DeletePrinterDriverW(nullptr, environment.data(), driver.data());
  const std::wstring directory = sys::DriverDirectoryOf(kEnvironment);
  for (const std::wstring& file : sys::kDriverFiles) {
    ::DeleteFileW((directory + L"\\" + file).c_str());
    ::DeleteFileW((directory + L"\\3\\" + file).c_str());
  }
}

// The printer on a driver of the test's own with the package's 32-bit files, which Wine's spooler takes in
// either prefix.
bool AddTestPrinter() {
  return sys::AddDriverDirectly(kDriver, kEnvironment) && sys::AddPrinterDirectly(kPrinter, kDriver, L"LPT1:");
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

// Finish: the order of the follow-up actions, the PDF association clean-up against the real registry, and the
// main program's registration run.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/finish_actions.h"
#include "engine/associations.h"
#include "framework/base/process_start.h"
#include "framework/base/registry.h"
#include "integration/default_printer.h"
#include "tests/driver/system_state.h"
#include "tests/driver/walk.h"

namespace {

struct Recorder : FinishSteps {
  std::vector<std::wstring> calls;
  void ClearForeignPdfAssociations(int isWow64) override { calls.push_back(L"clear " + std::to_wstring(isWow64)); }
  void RegisterMainProgram(const std::wstring& folder) override { calls.push_back(L"register " + folder); }
  void SetDefaultPrinter(const std::wstring& name) override { calls.push_back(L"printer " + name); }
  void StartProgram(const std::wstring& path) override { calls.push_back(L"start " + path); }
  void OpenDocument(const std::wstring& path) override { calls.push_back(L"open " + path); }
};

SetupOptions Installed() {
  SetupOptions o;
  ResetOptions(o, 0, 0, L"C:\\Program Files");
  o.installFolder = L"C:\\Program Files\\Kelto Software\\Kelto Quorbel\\";
  return o;
}

TEST(FinishActions, DefaultChoicesTakeOverPdfThenPrinterThenStartTheProgram) {
  Recorder steps;
  RunFinishActions(Installed(), steps);
  EXPECT_EQ(steps.calls, (std::vector<std::wstring>{
                             L"clear 0", L"register C:\\Program Files\\Kelto Software\\Kelto Quorbel\\",
                             L"printer Kelto Quorbel Printer",
                             L"start C:\\Program Files\\Kelto Software\\Kelto Quorbel\\\\Kelto Quorbel.exe"}));
}

TEST(FinishActions, EachChoiceAloneAndNoneAtAll) {
  SetupOptions o = Installed();
  o.setDefaultPdfHandler = o.setDefaultPrinter = o.runProgram = 0;
  Recorder none;
  RunFinishActions(o, none);
  EXPECT_TRUE(none.calls.empty());
  o.viewReadme = 1;
  o.isWow64 = 1;
  Recorder readme;
  RunFinishActions(o, readme);
  EXPECT_EQ(readme.calls,
            (std::vector<std::wstring>{L"open C:\\Program Files\\Kelto Software\\Kelto Quorbel\\\\Readme.txt"}));
  o.viewReadme = 0;
  o.setDefaultPdfHandler = 1;
  Recorder pdf;
  RunFinishActions(o, pdf);
  ASSERT_EQ(pdf.calls.size(), 2u);
  EXPECT_EQ(pdf.calls[0], L"clear 1");
}

// The real default-printer call, through an entry the spooler does not have: the other steps still run.
struct NoSetDefaultPrinter : Recorder {
  void SetDefaultPrinter(const std::wstring& name) override {
    calls.push_back(L"printer result " +
                    std::to_wstring(MakeDefaultPrinterThrough(L"winspool.drv", "SetDefaultPrinterKelto", name)));
  }
};

TEST(FinishActions, WithoutSetDefaultPrinterTheOtherStepsStillRun) {
  SetupOptions o = Installed();
  o.viewReadme = 1;
  NoSetDefaultPrinter steps;
  RunFinishActions(o, steps);
  EXPECT_EQ(steps.calls,
            (std::vector<std::wstring>{L"clear 0", L"register C:\\Program Files\\Kelto Software\\Kelto Quorbel\\",
                                       L"printer result 0",
                                       L"start C:\\Program Files\\Kelto Software\\Kelto Quorbel\\\\Kelto Quorbel.exe",
                                       L"open C:\\Program Files\\Kelto Software\\Kelto Quorbel\\\\Readme.txt"}));
}

TEST(FinishActions, OverlongFolderIsCutNotOverrun) {
  const std::wstring folder(400, L'a');
  const std::wstring path = FinishPath(folder, L"Readme.txt");
  EXPECT_EQ(path.size(), static_cast<size_t>(MAX_PATH - 1));
  EXPECT_EQ(FinishPath(L"C:\\Q", L"Readme.txt"), L"C:\\Q\\Readme.txt");
}

// The folder a started program gets as its current one: its own, whatever separator FinishPath doubled.
TEST(FinishActions, ProgramsFolderIsItsOwn) {
  struct Row {
    const wchar_t* path;
    const wchar_t* folder;
  };
  const Row rows[] = {
      {L"C:\\Program Files\\Kelto Software\\Kelto Quorbel\\\\Kelto Quorbel.exe",
       L"C:\\Program Files\\Kelto Software\\Kelto Quorbel"},
      {L"C:\\Q\\Readme.txt", L"C:\\Q"},
      {L"C:\\Readme.txt", L"C:\\"},
      {L"C:\\\\Readme.txt", L"C:\\"},
      {L"\\\\server\\share\\Kelto Quorbel.exe", L"\\\\server\\share"},
      {L"Kelto Quorbel.exe", L""},
  };
  for (const Row& row : rows) EXPECT_EQ(FolderOfPath(row.path), row.folder) << sys::Narrow(row.path);
  // A program named without a folder is never looked up anywhere.
  EXPECT_FALSE(StartProgram(L"notepad.exe", L"notepad.exe", SW_SHOW));
}

// Finish starts the product through the desktop shell, as a double click would: the shell's child, with the
// desktop user's rights rather than the setup's, in the product's own folder. Wine's desktop shell answers as
// Windows' does; the start without one is the whole-product suite's.
TEST(FinishActions, ProductStartsAsTheDesktopShellsChildInItsOwnFolder) {
  const std::wstring folder = L"C:\\Finish Start\\Kelto Quorbel";
  const std::wstring log = L"C:\\Finish Start\\product-log.txt";
  gui::MakeFolders(folder);
  const std::wstring program = folder + L"\\Kelto Quorbel.exe";
  ASSERT_TRUE(::CopyFileW(sys::StagedFile(L"Kelto Quorbel.exe").c_str(), program.c_str(), FALSE));
  ::DeleteFileW(log.c_str());
  sys::SetProductLog(log);
  FinishSteps().StartProgram(FinishPath(folder + L"\\", L"Kelto Quorbel.exe"));
  EXPECT_TRUE(gui::WaitForProductStarted()) << "the product did not start";
  sys::SetProductLog(L"");
  const std::vector<sys::ProductStart> starts = sys::ProductStarts(log);
  ASSERT_EQ(starts.size(), 1u) << sys::ReadText(log);
  EXPECT_EQ(starts[0][L"parent"], L"explorer.exe") << sys::ReadText(log);
  EXPECT_TRUE(sys::SameText(starts[0][L"folder"], folder)) << sys::ReadText(log);
  EXPECT_EQ(starts[0].commandLine.find(L"/register"), std::wstring::npos);
  sys::RemoveTree(L"C:\\Finish Start");
}

// The registry of the prefix, put back as it was after each test.
class PdfAssociations : public ::testing::Test {
 protected:
  static constexpr const wchar_t* kMimePdf = L"SOFTWARE\\Classes\\MIME\\Database\\Content Type\\application/pdf";
  static constexpr const wchar_t* kProgIdClsid = L"SOFTWARE\\Classes\\KeltoQuorbel.Document\\CLSID";
  static constexpr const wchar_t* kUserChoice =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.pdf\\UserChoice";
  void TearDown() override {
    for (const wchar_t* key :
         {L"SOFTWARE\\Classes\\.pdf", L"SOFTWARE\\Classes\\.fdf", kMimePdf, L"SOFTWARE\\Classes\\KeltoQuorbel.Document",
          L"SOFTWARE\\Classes\\KeltoQuorbel.FDFDoc"}) {
      ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.pdf");
  }
  static bool HasValue(HKEY root, const wchar_t* key, const wchar_t* value) {
    HKEY opened;
    if (::RegOpenKeyExW(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    const bool found = ::RegQueryValueExW(opened, value, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    ::RegCloseKey(opened);
    return found;
  }
};

TEST_F(PdfAssociations, AnotherProgramsHandlerIsDeletedAndTheKeysStay) {
  ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\.pdf", L"", L"Other.Reader.1"));
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kUserChoice, L"Progid", L"Other.Reader.1"));
  ClearForeignPdfAssociations(0);
  EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\.pdf", nullptr));
  EXPECT_FALSE(HasValue(HKEY_CLASSES_ROOT, L".pdf", nullptr));
  EXPECT_TRUE(sys::KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\.pdf"));
  EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, kUserChoice, L"Progid"));
}

TEST_F(PdfAssociations, OurOwnHandlerInAnyCaseIsLeftAlone) {
  ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\.pdf", L"", L"KELTOQUORBEL.DOCUMENT"));
  ASSERT_TRUE(WriteRegistryString(HKEY_CURRENT_USER, kUserChoice, L"Progid", L"keltoquorbel.document"));
  ClearForeignPdfAssociations(0);
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\.pdf", L"", L"-"), L"KELTOQUORBEL.DOCUMENT");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kUserChoice, L"Progid", L"-"), L"keltoquorbel.document");
}

TEST_F(PdfAssociations, MimeClsidStaysOnlyWhenItIsOurs) {
  const wchar_t ours[] = L"{4B1F3C2A-0D6E-4F5A-9B8C-7D6E5F4A3B2C}";
  ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kProgIdClsid, L"", ours));
  ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kMimePdf, L"CLSID", ours));
  ClearForeignPdfAssociations(0);
  EXPECT_TRUE(HasValue(HKEY_LOCAL_MACHINE, kMimePdf, L"CLSID"));
  ASSERT_TRUE(WriteRegistryString(HKEY_LOCAL_MACHINE, kMimePdf, L"CLSID", L"{00000000-1111-2222-3333-444444444444}"));
  ClearForeignPdfAssociations(0);
  EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, kMimePdf, L"CLSID"));
}

// Wine shares these keys between the two views, as Windows does for file types: a 64-bit-view read must find
// exactly what the 32-bit setup sees. A read that failed in that view would count as foreign and delete our own.
TEST_F(PdfAssociations, UnderWow64TheReadsGoThroughThe64BitView) {
  BOOL wow64 = FALSE;
  ::IsWow64Process(::GetCurrentProcess(), &wow64);
  if (!wow64) GTEST_SKIP() << "needs a 64-bit prefix";
  auto write64 = [](HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& text) {
    ASSERT_TRUE(sys::WriteValue(root, key, name, text, KEY_WOW64_64KEY));
  };
  const wchar_t ours[] = L"{4B1F3C2A-0D6E-4F5A-9B8C-7D6E5F4A3B2C}";
  write64(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\.pdf", nullptr, L"KeltoQuorbel.Document");
  write64(HKEY_LOCAL_MACHINE, kProgIdClsid, nullptr, ours);
  write64(HKEY_LOCAL_MACHINE, kMimePdf, L"CLSID", ours);
  write64(HKEY_CURRENT_USER, kUserChoice, L"Progid", L"KeltoQuorbel.Document");
  ClearForeignPdfAssociations(1);
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\.pdf", L"", L"-"), L"KeltoQuorbel.Document");
  EXPECT_TRUE(HasValue(HKEY_LOCAL_MACHINE, kMimePdf, L"CLSID"));
  EXPECT_TRUE(HasValue(HKEY_CURRENT_USER, kUserChoice, L"Progid"));

  write64(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\.pdf", nullptr, L"Other.Reader.1");
  write64(HKEY_CURRENT_USER, kUserChoice, L"Progid", L"Other.Reader.1");
  ClearForeignPdfAssociations(1);
  EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\.pdf", nullptr));
  EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, kUserChoice, L"Progid"));
  EXPECT_TRUE(HasValue(HKEY_LOCAL_MACHINE, kMimePdf, L"CLSID"));
}

TEST_F(PdfAssociations, NoUserChoiceMeansNothingToDelete) {
  ClearForeignPdfAssociations(0);
  EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, kUserChoice, L"Progid"));
}

TEST_F(PdfAssociations, MainProgramRegistersItselfFromAFolderWithBlanks) {
  const std::wstring folder = L"C:\\Finish Test\\Kelto Quorbel\\";
  ::CreateDirectoryW(L"C:\\Finish Test", nullptr);
  ::CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(
      ::CopyFileW(sys::StagedFile(L"Kelto Quorbel.exe").c_str(), (folder + L"Kelto Quorbel.exe").c_str(), FALSE));

  ::SetEnvironmentVariableW(L"KELTO_PRODUCT_LOG", (folder + L"register-log.txt").c_str());
  RegisterMainProgram(folder);  // returns only once the program has ended
  ::SetEnvironmentVariableW(L"KELTO_PRODUCT_LOG", nullptr);

  std::string logged;
  if (FILE* f = _wfopen((folder + L"register-log.txt").c_str(), L"rb")) {
    char chunk[512];
    for (size_t n; (n = fread(chunk, 1, sizeof(chunk), f)) > 0;) logged.append(chunk, n);
    fclose(f);
  }
  EXPECT_NE(logged.find("\"C:\\Finish Test\\Kelto Quorbel\\Kelto Quorbel.exe\" /register"), std::string::npos)
      << "logged: " << logged;
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\.pdf", L"", L""), L"KeltoQuorbel.Document");
  ::DeleteFileW((folder + L"register-log.txt").c_str());
  ::DeleteFileW((folder + L"Kelto Quorbel.exe").c_str());
  ::RemoveDirectoryW(folder.c_str());
  ::RemoveDirectoryW(L"C:\\Finish Test");
}

}  // namespace

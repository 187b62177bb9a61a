// The plug-in runner starting the stand-in plug-in installer and uninstaller, which end with the exit code that
// KELTO_PLUGIN_EXIT names and log their command line and current folder to plugin-log.txt beside themselves.
#include "integration/plugin_runner.h"

#include <gtest/gtest.h>

#include "component_test_helpers.h"

namespace {

using namespace component_test;

// The log's lines, without their line ends.
std::vector<std::wstring> LogLines(const std::wstring& folder) {
  const std::string bytes = ReadText(folder + L"\\plugin-log.txt");
  std::vector<std::wstring> lines;
  if (bytes == "<missing>") return lines;
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(length, L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], length);
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find(L"\r\n", start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::wstring::npos) break;
    start = end + 2;
  }
  return lines;
}

class PluginRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(::CreateDirectoryW(source_.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(install_.c_str(), nullptr));
    TakeStaged(source_, {L"InPDFReaderPlugin.exe"});
    TakeStaged(install_, {L"UnPDFReaderPlugin.exe"});
  }

  int Run(int install) {
    reports_.clear();
    return RunPluginProgram(install, source_, install_, [this](const std::wstring& m) { reports_.push_back(m); });
  }

  // The program's command line as the program saw it: the quoted program, a blank, then exactly the parameters
  // (as the shell's "%1" %* built it when the shell started them); and its own folder as its current one.
  void ExpectStartedWith(const std::wstring& folder, const std::wstring& program) {
    const std::vector<std::wstring> lines = LogLines(folder);
    ASSERT_EQ(lines.size(), 1u);
    const std::wstring parameters = L" -p " + install_ + L"\\plugins\\";
    const size_t split = lines[0].rfind(L" | folder: ");
    ASSERT_NE(split, std::wstring::npos) << Narrow(lines[0]);
    EXPECT_EQ(Narrow(lines[0].substr(split + 11)), Narrow(folder)) << "not started in its own folder";
    EXPECT_EQ(Narrow(lines[0].substr(0, split)), Narrow(L"\"" + folder + L"\\" + program + L"\" " + parameters));
  }

  ScopedEnvironment exitCode_{L"KELTO_PLUGIN_EXIT", nullptr};
  Sandbox sandbox_{L"plugin"};
  std::wstring source_ = sandbox_.path() + L"\\package";
  std::wstring install_ = sandbox_.path() + L"\\Kelto Quorbel";
  std::vector<std::wstring> reports_;
};

TEST_F(PluginRunnerTest, ExitCodesMapAsTheirTableSays) {
  struct Case {
    const wchar_t* code;
    int result;
    const wchar_t* report;  // nullptr: none
  };
  const Case cases[] = {
      {L"0", 1, nullptr},
      {L"1", 1, L"mozilla firefox is not installed"},
      {L"2", 0, L"the path is not correct"},
      {L"3", 0, L"password is not correct"},
      {L"4", 0, L"no much space for installation"},
      {L"5", 0, L"register keltopdfreadercontrol.dll unsucessfully"},
      {L"6", 0, L"compression files are destroyed"},
      {L"7", 0, L"undefined"},
      {L"8", 1, L"Opera is not installed"},
      {L"9", 0, L"Opera and firefox are not installed"},
      {L"10", 0, nullptr},
      {L"-1", 0, nullptr},
  };
  for (const Case& c : cases) {
    ScopedEnvironment code(L"KELTO_PLUGIN_EXIT", c.code);
    EXPECT_EQ(Run(1), c.result) << "exit code " << Narrow(c.code);
    EXPECT_EQ(reports_, c.report ? std::vector<std::wstring>{c.report} : std::vector<std::wstring>{})
        << "exit code " << Narrow(c.code);
  }
  EXPECT_EQ(LogLines(source_).size(), std::size(cases));
  // The uninstaller's codes mean the same.
  ScopedEnvironment code(L"KELTO_PLUGIN_EXIT", L"8");
  EXPECT_EQ(Run(0), 1);
  EXPECT_EQ(reports_, std::vector<std::wstring>{L"Opera is not installed"});
}

TEST_F(PluginRunnerTest, ProgramsGetExactlyTheParameters) {
  EXPECT_EQ(PluginParameters(install_), L" -p " + install_ + L"\\plugins\\");
  EXPECT_EQ(Run(1), 1);
  ExpectStartedWith(source_, L"InPDFReaderPlugin.exe");
  EXPECT_EQ(Run(0), 1);
  ExpectStartedWith(install_, L"UnPDFReaderPlugin.exe");
}

TEST_F(PluginRunnerTest, FallbackNamesRunWithTheSameParameters) {
  ASSERT_TRUE(
      ::MoveFileW((source_ + L"\\InPDFReaderPlugin.exe").c_str(), (source_ + L"\\InstallPDFReaderPlugin.exe").c_str()));
  ASSERT_TRUE(::MoveFileW((install_ + L"\\UnPDFReaderPlugin.exe").c_str(),
                          (install_ + L"\\UninstallPDFReaderPlugin.exe").c_str()));
  EXPECT_EQ(Run(1), 1);
  ExpectStartedWith(source_, L"InstallPDFReaderPlugin.exe");
  EXPECT_EQ(Run(0), 1);
  ExpectStartedWith(install_, L"UninstallPDFReaderPlugin.exe");
}

TEST_F(PluginRunnerTest, WithoutEitherProgramNothingStartsAndItFails) {
  ASSERT_TRUE(::DeleteFileW((source_ + L"\\InPDFReaderPlugin.exe").c_str()));
  ASSERT_TRUE(::CreateDirectoryW((source_ + L"\\InstallPDFReaderPlugin.exe").c_str(), nullptr));  // not a program
  ASSERT_TRUE(::DeleteFileW((install_ + L"\\UnPDFReaderPlugin.exe").c_str()));
  EXPECT_EQ(Run(1), 0);
  EXPECT_EQ(Run(0), 0);
  EXPECT_TRUE(reports_.empty());
  EXPECT_TRUE(LogLines(source_).empty());
  EXPECT_TRUE(LogLines(install_).empty());
}

// The plug-in is not installed when its installer can't even start. The answerer closes any error box the
// system might show about the file.
TEST_F(PluginRunnerTest, ProgramThatCannotStartFails) {
  ASSERT_TRUE(WriteText(source_ + L"\\InPDFReaderPlugin.exe", "not a program"));
  MessageBoxAnswerer answerer;
  EXPECT_EQ(Run(1), 0);
  answerer.Stop();
  EXPECT_TRUE(reports_.empty());
}

}  // namespace

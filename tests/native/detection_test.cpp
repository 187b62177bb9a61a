#include "app/detection.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const std::wstring kSetup = L"2.2.4.0225";

struct Files {
  std::set<std::wstring> present;
  bool operator()(const std::wstring& path) const { return present.count(path) > 0; }
};

TEST(VersionText, ComparesAsTextIgnoringCase) {
  EXPECT_EQ(CompareVersionText(L"2.2.4.0225", L"2.2.4.0225"), 0);
  EXPECT_LT(CompareVersionText(L"2.10.0.0", L"2.2.4.0225"), 0) << "text, not numbers";
  EXPECT_GT(CompareVersionText(L"2.0.0.0424", L"2.0.0.0"), 0) << "a longer text with the same start is greater";
  EXPECT_EQ(CompareVersionText(L"2.2.4.0225 BETA", L"2.2.4.0225 beta"), 0);
  EXPECT_LT(CompareVersionText(L"2.2.4.0225 Alpha", L"2.2.4.0225 beta"), 0);
}

TEST(Detection, VersionsGiveTheirStateAndPipeChoice) {
  const Files files{{L"C:\\Old\\Kelto Quorbel.exe"}};
  struct Case {
    const wchar_t* version;
    int state;
    int pipe;
  } cases[] = {{L"2.2.4.0225", 1, 1}, {L"2.2.4.0300", 2, 1}, {L"2.2.3.0100", 3, 1}, {L"2.0.0.0424", 3, 1},
               {L"2.0.0.0423", 3, 0}, {L"2.10.0.0", 3, 1},   {L"1.9.9.9999", 3, 0}};
  for (const Case& c : cases) {
    DetectionResult r = EvaluateInstallation({L"C:\\Old", c.version}, kSetup, files);
    EXPECT_EQ(r.existingState, c.state) << std::string(c.version, c.version + wcslen(c.version));
    EXPECT_EQ(r.uninstallViaPipe, c.pipe);
    EXPECT_EQ(r.installFolder, L"C:\\Old\\");
  }
}

TEST(Detection, OnlyTheBetaProgramOfAnOldVersion) {
  const Files files{{L"D:\\Q\\Kelto Quorbel Beta.exe"}};
  DetectionResult r = EvaluateInstallation({L"D:\\Q\\", L"2.0.0.0300"}, kSetup, files);
  EXPECT_EQ(r.existingState, 3);
  EXPECT_EQ(r.uninstallViaPipe, 0);
  EXPECT_EQ(r.installFolder, L"D:\\Q\\");
}

TEST(Detection, IncompleteRecordsMeanNothingInstalled) {
  const Files files{{L"C:\\Old\\Kelto Quorbel.exe"}};
  for (const DetectionInput& input : {DetectionInput{L"", L"2.2.4.0225"}, DetectionInput{L"C:\\Old", L""},
                                      DetectionInput{L"C:\\Gone", L"2.2.4.0225"}}) {
    DetectionResult r = EvaluateInstallation(input, kSetup, files);
    EXPECT_EQ(r.existingState, 0);
    EXPECT_EQ(r.uninstallViaPipe, 0);
    EXPECT_TRUE(r.installFolder.empty());
  }
}

}  // namespace

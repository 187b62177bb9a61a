// Folder creation and the copy of the product's files on the prefix's real file system.
#include "engine/file_copy.h"

#include <gtest/gtest.h>

#include <map>

#include "component_test_helpers.h"
#include "core/text_ids.h"
#include "engine/extract_package.h"
#include "framework/base/admin_only.h"
#include "install_test_helpers.h"

namespace {

using namespace install_test;

TEST(EnsureFolder, CreatesANewPathFromTheOutermostMissingFolderInwards) {
  Sandbox sandbox(L"ensure");
  const std::wstring outer = sandbox.path() + L"\\Kelto Software";
  const std::wstring middle = outer + L"\\Kelto Quorbel";
  const std::wstring inner = middle + L"\\bin";
  EXPECT_EQ(EnsureFolder(inner + L"\\"), outer) << "the outermost folder it made";
  EXPECT_TRUE(IsFolder(outer));
  EXPECT_TRUE(IsFolder(middle));
  EXPECT_TRUE(IsFolder(inner));

  // Without the trailing backslash the same; existing folders and their files stay as they are.
  ASSERT_TRUE(WriteText(inner + L"\\keep.txt", "keep"));
  EXPECT_EQ(EnsureFolder(inner), L"");
  EXPECT_EQ(EnsureFolder(sandbox.path() + L"\\a\\b"), sandbox.path() + L"\\a");
  EXPECT_TRUE(IsFolder(sandbox.path() + L"\\a\\b"));
  EXPECT_EQ(ReadText(inner + L"\\keep.txt"), "keep");

  // An empty existing folder counts as existing ("." and ".." are entries).
  EXPECT_EQ(EnsureFolder(sandbox.path() + L"\\a\\b\\"), L"");
  EXPECT_TRUE(List(sandbox.path() + L"\\a\\b").empty());
}

// Outside the program-files folders the outermost folder made would inherit the drive root's rights (any user
// may change what the product later loads): it gets the program-files folder's protection, and what is made
// inside inherits it. Inside a program-files folder the new folder inherits that folder's own.
TEST(EnsureFolder, TheOutermostNewFolderOutsideTheProgramFilesFoldersGetsTheirProtection) {
  ProgramFilesSecurity security;
  ASSERT_NE(security.attributes(), nullptr);
  EXPECT_EQ(SddlOf(security.attributes()->lpSecurityDescriptor),
            L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)");

  Sandbox sandbox(L"protect");
  const std::wstring outside = sandbox.path() + L"\\Quorbel";
  ASSERT_EQ(EnsureFolder(outside + L"\\bin\\"), outside);
  const std::wstring programFiles =
      sys::SpecialFolder(CSIDL_PROGRAM_FILES) + L"\\Kelto Protection Test " + std::to_wstring(::GetCurrentProcessId());
  ASSERT_EQ(EnsureFolder(programFiles + L"\\bin\\"), programFiles);
  const std::wstring inside = SecurityOf(programFiles);
  RemoveTree(programFiles);
  if (!RunsOnWine()) {
    EXPECT_EQ(SecurityOf(outside), L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)");
    EXPECT_EQ(TrusteesOf(SecurityOf(outside + L"\\bin")), (std::set<std::wstring>{L"BA", L"BU", L"SY"}));
    EXPECT_NE(inside.find(L"ID;"), std::wstring::npos) << Narrow(inside) << ": inherited from the program files";
  } else {
    // A folder made with a descriptor shows SYSTEM and its owner only; one made without it, everyone ("WD")
    // besides. Wine neither keeps the Users' entry nor passes anything down.
    std::set<std::wstring> trustees = TrusteesOf(SecurityOf(outside));
    EXPECT_EQ(trustees.count(L"SY"), 1u) << Narrow(SecurityOf(outside));
    trustees.erase(L"SY");
    trustees.erase(sys::UserSid());
    EXPECT_TRUE(trustees.empty()) << Narrow(SecurityOf(outside));
    EXPECT_EQ(TrusteesOf(inside).count(L"WD"), 1u) << Narrow(inside) << ": a descriptor of its own";
  }
}

TEST(EnsureFolder, EmptyPathsAndBareDrivesCreateNothing) {
  wchar_t current[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, current);
  const size_t before = List(current).size();
  EnsureFolder(L"");
  EnsureFolder(L"c:");
  EnsureFolder(L"C:\\");
  EXPECT_EQ(List(current).size(), before);
}

TEST(ProductFileTable, MainProgramFirstAndTheReadmeByLanguageMode) {
  const auto readmeOf = [](int mode, int skin) -> std::wstring {
    const std::vector<ProductFile> table = ProductFileTable(mode, skin);
    EXPECT_EQ(std::wstring(table.front().name), L"Kelto Quorbel.exe");
    EXPECT_EQ(std::wstring(table[1].name), L"Uninstall.exe");
    EXPECT_EQ(std::wstring(table[2].name), L"config.xml");
    // Only the two programs are required.
    EXPECT_TRUE(table[0].required && table[1].required);
    for (size_t row = 2; row < table.size(); ++row) EXPECT_FALSE(table[row].required) << Narrow(table[row].name);
    if (table.size() == 3) return L"";
    EXPECT_EQ(table.size(), 4u);
    EXPECT_EQ(DestinationOf(table.back()), L"Readme.txt");
    return table.back().name;
  };
  for (int skin = 0; skin < 7; ++skin) {
    EXPECT_EQ(readmeOf(0, skin), L"Readme.txt");
    EXPECT_EQ(readmeOf(1, skin), L"Readme.txt");
  }
  EXPECT_EQ(readmeOf(2, 0), L"Readme_ENG.txt");
  EXPECT_EQ(readmeOf(2, 1), L"Readme_FR.txt");
  for (int skin = 2; skin < 7; ++skin) EXPECT_EQ(readmeOf(2, skin), L"") << skin;
}

// A package unpacked into its own extraction folder, removed afterwards.
class CopyProductFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { Unpack(); }
  void TearDown() override { RemoveTree(extracted_); }

  // A fresh extraction folder, an empty sandbox and nothing asked yet.
  void Unpack() {
    if (!extracted_.empty()) RemoveTree(extracted_);
    extracted_.clear();
    RemoveTree(sandbox_.path() + L"\\Kelto Software");
    const std::vector<uint8_t> stream = BuildPackage({{"Kelto Quorbel.exe", "new program"},
                                                      {"Uninstall.exe", "new uninstaller"},
                                                      {"config.xml", "<config_info version=\"2.2.4.0225\"/>"},
                                                      {"Readme.txt", "readme"},
                                                      {"Readme_ENG.txt", "readme en"},
                                                      {"Readme_FR.txt", "readme fr"}});
    ASSERT_EQ(ExtractPackage(extracted_, ByteView{stream.data(), stream.size()}), kPackageOk);
    options_.extractionFolder = extracted_;
    options_.installFolder = sandbox_.path() + L"\\Kelto Software\\Kelto Quorbel";
    prompts_ = RecordingPrompter();
  }

  std::wstring Installed(const wchar_t* name) const {
    return sandbox_.path() + L"\\Kelto Software\\Kelto Quorbel\\" + name;
  }

  Sandbox sandbox_{L"copy"};
  std::wstring extracted_;
  SetupOptions options_;
  RecordingPrompter prompts_;
  InstallContext context_{options_, BuiltinTexts(), prompts_};
};

TEST_F(CopyProductFilesTest, CopiesTheTableAndLeavesBothFoldersInTheirWorkingForm) {
  EXPECT_TRUE(CopyProductFiles(context_));
  EXPECT_TRUE(prompts_.prompts().empty());
  EXPECT_EQ(ReadText(Installed(L"Kelto Quorbel.exe")), "new program");
  EXPECT_EQ(ReadText(Installed(L"Uninstall.exe")), "new uninstaller");
  EXPECT_EQ(ReadText(Installed(L"config.xml")), "<config_info version=\"2.2.4.0225\"/>");
  EXPECT_EQ(ReadText(Installed(L"Readme.txt")), "readme");
  EXPECT_EQ(List(Installed(L"")).size(), 4u);

  EXPECT_EQ(options_.installFolder, Installed(L""));
  // The extraction folder is now its 8.3 form of the same folder, with the backslash.
  ASSERT_FALSE(options_.extractionFolder.empty());
  EXPECT_EQ(options_.extractionFolder.back(), L'\\');
  wchar_t shortForm[MAX_PATH] = {};
  ASSERT_GT(::GetShortPathNameW(extracted_.c_str(), shortForm, MAX_PATH), 0u);
  EXPECT_EQ(options_.extractionFolder, shortForm);
  EXPECT_EQ(options_.extractionFolder.find(L' '), std::wstring::npos);
}

TEST_F(CopyProductFilesTest, ReadmeFollowsTheChosenLanguageOnlyInTheLanguageDialogsMode) {
  const struct {
    int mode, skin;
    const char* readme;
  } cases[] = {{2, 0, "readme en"}, {2, 1, "readme fr"}, {2, 3, "<missing>"},
               {2, 6, "<missing>"}, {1, 3, "readme"},    {0, 1, "readme"}};
  for (const auto& c : cases) {
    ::DeleteFileW(Installed(L"Readme.txt").c_str());
    options_.languageMode = c.mode;
    options_.SkinIndex = c.skin;
    EXPECT_TRUE(CopyProductFiles(context_)) << "no readme for the language is no failure";
    EXPECT_EQ(ReadText(Installed(L"Readme.txt")), c.readme) << c.mode << "/" << c.skin;
  }
}

TEST_F(CopyProductFilesTest, ReadOnlyAndHiddenFilesAreReplaced) {
  EnsureFolder(Installed(L""));
  ASSERT_TRUE(WriteText(Installed(L"Readme.txt"), "old readme"));
  ASSERT_TRUE(WriteText(Installed(L"config.xml"), "old config"));
  ASSERT_TRUE(::SetFileAttributesW(Installed(L"Readme.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(::SetFileAttributesW(Installed(L"config.xml").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(CopyProductFiles(context_));
  EXPECT_EQ(ReadText(Installed(L"Readme.txt")), "readme");
  EXPECT_EQ(ReadText(Installed(L"config.xml")), "<config_info version=\"2.2.4.0225\"/>");
}

// Only the main program is waited for; another file held by a running program keeps its installed copy, whole,
// and the rest of the table is still copied.
TEST_F(CopyProductFilesTest, OtherFilesInUseKeepTheirInstalledCopySilently) {
  EnsureFolder(Installed(L""));
  ASSERT_TRUE(WriteText(Installed(L"config.xml"), "old config"));
  HANDLE held = ::CreateFileW(Installed(L"config.xml").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CopyProductFiles(context_));
  ::CloseHandle(held);
  EXPECT_TRUE(prompts_.prompts().empty());
  EXPECT_EQ(ReadText(Installed(L"config.xml")), "old config");
  EXPECT_EQ(ReadText(Installed(L"Kelto Quorbel.exe")), "new program");
  EXPECT_EQ(ReadText(Installed(L"Uninstall.exe")), "new uninstaller");
  EXPECT_EQ(ReadText(Installed(L"Readme.txt")), "readme");
}

// An optional file the package lacks is left out. Any other failed copy stops at that file: text 119 names it, nothing
// of it is left that the copy wrote, the files after it are not copied and the caller hears of it. What this run
// created goes again, the folders it made too; files it replaced stay as they are now, and the caller learns that the
// installation is incomplete. (A copy cut short on a full drive is the product scenario's: Wine can't be made to fail a
// copy part-way here.)
TEST_F(CopyProductFilesTest, AFailedCopyStopsAtThatFileAndTakesBackWhatThisRunCreated) {
  using Files = std::map<std::wstring, std::string>;  // each destination of the table and what it holds
  const std::wstring outside = sandbox_.path() + L"\\outside.txt";
  const auto earlier = [&](const Files& files) {
    EnsureFolder(Installed(L""));
    for (const auto& [name, text] : files) WriteText(Installed(name.c_str()), text);
  };
  const struct Case {
    const char* what;
    const wchar_t* file;  // the one that fails
    std::function<void()> arrange;
    Files left;  // what the install folder holds afterwards
    bool folderStays;
    int incomplete;
    bool stops = true;  // false: an optional file the package lacks, left out
  } cases[] = {
      {"source missing from the package, into a new folder",
       L"Uninstall.exe",
       [&] { ::DeleteFileW((extracted_ + L"Uninstall.exe").c_str()); },
       {},
       false,
       0},
      // The copy never reached the destination: the program installed before stays as it was.
      {"main program's source missing over an installed one",
       L"Kelto Quorbel.exe",
       [&] {
         ::DeleteFileW((extracted_ + L"Kelto Quorbel.exe").c_str());
         earlier({{L"Kelto Quorbel.exe", "old program"}});
       },
       {{L"Kelto Quorbel.exe", "old program"}},
       true,
       0},
      // The product runs without its settings file or readme: the rest is copied and the install goes on.
      {"config.xml missing from the package",
       L"config.xml",
       [&] { ::DeleteFileW((extracted_ + L"config.xml").c_str()); },
       {{L"Kelto Quorbel.exe", "new program"}, {L"Uninstall.exe", "new uninstaller"}, {L"Readme.txt", "readme"}},
       true,
       0,
       false},
      {"readme missing from the package, over an earlier one",
       L"Readme.txt",
       [&] {
         ::DeleteFileW((extracted_ + L"Readme.txt").c_str());
         earlier({{L"Readme.txt", "old readme"}});
       },
       {{L"Kelto Quorbel.exe", "new program"},
        {L"Uninstall.exe", "new uninstaller"},
        {L"config.xml", "<config_info version=\"2.2.4.0225\"/>"},
        {L"Readme.txt", "old readme"}},
       true,
       0,
       false},
      {"the chosen language's readme missing from the package",
       L"Readme.txt",
       [&] {
         options_.languageMode = 2;
         options_.SkinIndex = 1;
         ::DeleteFileW((extracted_ + L"Readme_FR.txt").c_str());
       },
       {{L"Kelto Quorbel.exe", "new program"},
        {L"Uninstall.exe", "new uninstaller"},
        {L"config.xml", "<config_info version=\"2.2.4.0225\"/>"}},
       true,
       0,
       false},
      {"destination that can't be written", L"config.xml", [&] { MakeFolders(Installed(L"config.xml")); }, {}, true, 0},
      {"over an earlier installation",
       L"config.xml",
       [&] {
         earlier({{L"Kelto Quorbel.exe", "old program"}, {L"Readme.txt", "old readme"}});
         MakeFolders(Installed(L"config.xml"));
       },
       {{L"Kelto Quorbel.exe", "new program"}, {L"Readme.txt", "old readme"}},
       true,
       1},
      // A link planted in the destination's place is left alone, and nothing is written through it.
      {"a link in the destination's place",
       L"Uninstall.exe",
       [&] {
         WriteText(outside, "outside");
         EnsureFolder(Installed(L""));
         if (component_test::RunningUnderWine()) {
           ASSERT_TRUE(component_test::MakeUnixLink(L"../../outside.txt", Installed(L"Uninstall.exe")));
         } else {
           ASSERT_TRUE(::CreateSymbolicLinkW(Installed(L"Uninstall.exe").c_str(), outside.c_str(), 0));
         }
       },
       {{L"Uninstall.exe", "outside"}},
       true,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Unpack();
    options_.createdFolder.clear();
    options_.languageMode = 0;
    options_.SkinIndex = 0;
    options_.incompleteInstall = 0;
    c.arrange();
    EXPECT_EQ(CopyProductFiles(context_), !c.stops);

    ASSERT_EQ(prompts_.prompts().size(), c.stops ? 1u : 0u);
    if (c.stops) {
      const Prompt& prompt = prompts_.prompts()[0];
      EXPECT_EQ(prompt.textId, 119u);
      EXPECT_EQ(prompt.style, static_cast<unsigned>(MB_ICONERROR | MB_OK));
      EXPECT_EQ(prompt.caption, PromptCaption::Wizard);
      EXPECT_EQ(prompt.text, L"Setup could not copy " + Installed(c.file) +
                                 L". The installation has been stopped: make sure the destination folder can be "
                                 L"written and has enough free space, then run Setup again.");
    }
    EXPECT_EQ(options_.incompleteInstall, c.incomplete);
    EXPECT_EQ(IsFolder(Installed(L"")), c.folderStays);
    EXPECT_EQ(Exists(sandbox_.path() + L"\\Kelto Software"), c.folderStays);
    for (const ProductFile& row : ProductFileTable(options_.languageMode, options_.SkinIndex)) {
      const std::wstring destination = DestinationOf(row);
      const auto kept = c.left.find(destination);
      EXPECT_EQ(ReadText(Installed(destination.c_str())), kept == c.left.end() ? "<missing>" : kept->second)
          << Narrow(destination);
    }
  }
  EXPECT_EQ(ReadText(outside), "outside");
}

TEST_F(CopyProductFilesTest, WithoutAnExtractionFolderNothingIsCopied) {
  options_.extractionFolder.clear();
  EXPECT_FALSE(CopyProductFiles(context_));
  EXPECT_FALSE(Exists(sandbox_.path() + L"\\Kelto Software")) << "the folders this run made stay behind";
  EXPECT_TRUE(options_.extractionFolder.empty());
  EXPECT_EQ(prompts_.textIds(), std::vector<unsigned>{kTextFileNotCopied});
  ASSERT_EQ(prompts_.prompts().size(), 1u);
  EXPECT_NE(prompts_.prompts()[0].text.find(Installed(L"Kelto Quorbel.exe")), std::wstring::npos);
}

// The running program is held open without sharing, as a running copy of it would; the user is asked once per
// failed attempt and the holder lets go after the third question.
TEST_F(CopyProductFilesTest, InUseMainProgramAsksUntilItCanBeReplaced) {
  EnsureFolder(Installed(L""));
  ASSERT_TRUE(WriteText(Installed(L"Kelto Quorbel.exe"), "running program"));
  HANDLE held =
      ::CreateFileW(Installed(L"Kelto Quorbel.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  constexpr int kAttempts = 3;
  prompts_ = RecordingPrompter([&](int n, unsigned) {
    if (n == kAttempts) ::CloseHandle(std::exchange(held, INVALID_HANDLE_VALUE));
    return IDOK;
  });
  EXPECT_TRUE(CopyProductFiles(context_));
  if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);

  ASSERT_EQ(prompts_.prompts().size(), static_cast<size_t>(kAttempts));
  for (const Prompt& prompt : prompts_.prompts()) {
    EXPECT_EQ(prompt.textId, 59u);
    EXPECT_EQ(prompt.style, static_cast<unsigned>(MB_ICONWARNING | MB_OK));
    EXPECT_EQ(prompt.caption, PromptCaption::Wizard);
    EXPECT_EQ(prompt.text, BuiltinText(59));
    EXPECT_EQ(prompt.captionText, BuiltinText(1));
  }
  EXPECT_EQ(ReadText(Installed(L"Kelto Quorbel.exe")), "new program");
  EXPECT_EQ(ReadText(Installed(L"Uninstall.exe")), "new uninstaller");
  EXPECT_EQ(ReadText(Installed(L"Readme.txt")), "readme");
}

}  // namespace

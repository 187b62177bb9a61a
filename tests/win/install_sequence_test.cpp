// Whole install runs against a package built in the test, on the prefix's real files, registry and links.
#include "app/install_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/extract_package.h"
#include "engine/product_records.h"
#include "framework/base/file_access.h"
#include "i18n/string_catalogue.h"
#include "i18n/win_string_sources.h"
#include "install_test_helpers.h"
#include "integration/virtual_printer.h"
#include "tests/driver/walk.h"

namespace {

using namespace install_test;

const PackageFiles kProduct = {{"Kelto Quorbel.exe", "program"},
                               {"Uninstall.exe", "uninstaller"},
                               {"config.xml", "<config_info version=\"2.2.5.0400\"><item/></config_info>"},
                               {"Readme.txt", "readme"},
                               {"kpdfcjk.bin", "font data"}};

std::wstring RecordText(HKEY root, const wchar_t* key, const wchar_t* name) {
  const RawValue raw = ReadRaw(root, key, name, root == HKEY_LOCAL_MACHINE ? kSetupView : 0);
  if (!raw.found || raw.type != REG_SZ || raw.bytes.size() != 2 * raw.text().size() + 2) return L"<not a REG_SZ>";
  return raw.text();
}

// Drops what the printer (15 to 40) and the components (40 to 70) may report, which is theirs to test.
std::vector<std::wstring> SequencePositions(const RecordingProgress& progress) {
  std::vector<std::wstring> own;
  for (const std::wstring& position : progress.positions()) {
    const int value = std::stoi(position);
    if (value <= 15 || value > 70) own.push_back(position);
  }
  return own;
}

TEST(PrepareInstallFolder, ABareFixedDriveIsNotCreatedAndNoFolderKeepsItsBackslash) {
  EXPECT_TRUE(IsFixedDriveDesignator(L"c:"));
  EXPECT_TRUE(IsFixedDriveDesignator(L"C:"));
  EXPECT_FALSE(IsFixedDriveDesignator(L"c:\\"));
  EXPECT_FALSE(IsFixedDriveDesignator(L"c"));
  EXPECT_FALSE(IsFixedDriveDesignator(L":"));
  EXPECT_FALSE(IsFixedDriveDesignator(L""));
  // A letter no drive uses is no fixed drive. Wine maps drives only through the prefix's dosdevices, which
  // can't be changed from inside, so c: is the one bare fixed drive a test can use.
  const DWORD drives = ::GetLogicalDrives();
  for (wchar_t letter = L'd'; letter <= L'z'; ++letter) {
    if (drives & (1u << (letter - L'a'))) continue;
    EXPECT_FALSE(IsFixedDriveDesignator(std::wstring(1, letter) + L":"));
    break;
  }

  std::wstring folder = L"C:";
  EXPECT_EQ(PrepareInstallFolder(folder), L"");
  EXPECT_EQ(folder, L"C:");

  Sandbox sandbox(L"prepare");
  folder = sandbox.path() + L"\\x\\y\\z";
  EXPECT_EQ(PrepareInstallFolder(folder), sandbox.path() + L"\\x");
  EXPECT_EQ(folder, sandbox.path() + L"\\x\\y\\z");
  EXPECT_TRUE(IsFolder(folder));
  folder += L"\\";
  EXPECT_EQ(PrepareInstallFolder(folder), L"");
  EXPECT_EQ(folder, sandbox.path() + L"\\x\\y\\z");
}

class InstallSequenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveProductRecords();
    RemoveProductLinks(folders_, {L"Kelto Quorbel"});
    installFolder_ = sandbox_.path() + L"\\Programs\\Kelto Software\\Kelto Quorbel";
    options_.installFolder = installFolder_;
  }
  void TearDown() override {
    hold_.reset();
    RemoveTree(options_.extractionFolder);
    RemoveProductRecords();
    RemoveProductLinks(folders_, {L"Kelto Quorbel"});
  }

  void Run(const PackageFiles& files) {
    const std::vector<uint8_t> stream = BuildPackage(files);
    ASSERT_FALSE(stream.empty());
    RunInstallSequence(context_, progress_, hold_, [&](std::wstring& folder, UniqueHandle& hold) {
      return ExtractPackage(folder, hold, ByteView{stream.data(), stream.size()});
    });
  }
  std::wstring Installed(const wchar_t* name) const { return installFolder_ + L"\\" + name; }

  Folders folders_;
  QuickLaunchScope quickLaunch_{folders_};
  Sandbox sandbox_{L"sequence"};
  std::wstring installFolder_;
  SetupOptions options_;
  RecordingPrompter prompts_;
  InstallContext context_{options_, BuiltinTexts(), prompts_};
  RecordingProgress progress_;
  UniqueHandle hold_;
};

// A package that can't be unpacked (damaged, or no room in the temporary folder) stops the sequence before
// anything is installed: every later step would read an empty folder or the drive's root.
TEST_F(InstallSequenceTest, APackageThatCannotBeUnpackedStopsBeforeAnythingIsInstalled) {
  std::wstring partial;
  RunInstallSequence(context_, progress_, hold_, [&](std::wstring& folder, UniqueHandle&) {
    folder = sandbox_.path() + L"\\kel1.tmp\\";
    MakeFolders(folder);
    WriteText(folder + L"Kelto Quorbel.exe", "half");
    partial = folder;
    return static_cast<int>(kPackageDecodeFailed);
  });
  ASSERT_EQ(prompts_.textIds(), std::vector<unsigned>{kTextPackageNotUnpacked});
  EXPECT_EQ(prompts_.prompts()[0].text,
            L"Setup could not unpack the installation package (error 25). Nothing has been installed.");
  EXPECT_EQ(progress_.calls.back(), L"finish 1028");
  EXPECT_FALSE(Exists(partial)) << "the partial extraction stays behind";
  EXPECT_TRUE(options_.extractionFolder.empty());
  EXPECT_FALSE(Exists(installFolder_));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

// A product file that can't be copied stops the sequence the same way, after the copy's own message naming it:
// here the uninstaller is missing from the package, so the copy fails part-way through the table, after the
// main program. What this run created goes again; over an earlier installation the replaced main program stays
// and the Interrupted page is told that the installation is incomplete.
TEST_F(InstallSequenceTest, AProductFileThatCannotBeCopiedStopsBeforeAnythingElseIsInstalled) {
  for (const bool earlier : {false, true}) {
    SCOPED_TRACE(earlier ? "over an earlier installation" : "into a new folder");
    if (earlier) {
      options_ = SetupOptions();
      options_.installFolder = installFolder_;
      prompts_ = RecordingPrompter();
      progress_ = RecordingProgress();
      MakeFolders(installFolder_);
      ASSERT_TRUE(WriteText(Installed(L"Kelto Quorbel.exe"), "old program"));
      ASSERT_TRUE(WriteText(Installed(L"Readme.txt"), "old readme"));
    }
    PackageFiles files = kProduct;
    files.erase(files.begin() + 1);
    std::wstring extracted;
    const std::vector<uint8_t> stream = BuildPackage(files);
    ASSERT_FALSE(stream.empty());
    RunInstallSequence(context_, progress_, hold_, [&](std::wstring& folder, UniqueHandle& hold) {
      const int result = ExtractPackage(folder, hold, ByteView{stream.data(), stream.size()});
      extracted = folder;
      return result;
    });

    ASSERT_EQ(prompts_.textIds(), std::vector<unsigned>{kTextFileNotCopied});
    EXPECT_EQ(prompts_.prompts()[0].text.rfind(L"Setup could not copy " + Installed(L"Uninstall.exe") + L". ", 0), 0u)
        << Narrow(prompts_.prompts()[0].text);
    EXPECT_EQ(progress_.calls.back(), L"finish 1028");
    EXPECT_EQ(std::count(progress_.calls.begin(), progress_.calls.end(), L"finish 1028"), 1);
    EXPECT_EQ(SequencePositions(progress_), (std::vector<std::wstring>{L"5", L"15"}));
    if (earlier) {
      // The main program had been replaced: it stays as it is now, and so does what the copy never reached.
      EXPECT_EQ(List(installFolder_), (std::vector<std::wstring>{L"Kelto Quorbel.exe", L"Readme.txt"}));
      EXPECT_EQ(ReadText(Installed(L"Kelto Quorbel.exe")), "program");
      EXPECT_EQ(ReadText(Installed(L"Readme.txt")), "old readme");
      EXPECT_EQ(options_.incompleteInstall, 1);
    } else {
      // The main program came before it and went again, with the folders this run made; nothing after it.
      EXPECT_FALSE(Exists(sandbox_.path() + L"\\Programs")) << "what this run created stays behind";
      EXPECT_EQ(options_.incompleteInstall, 0);
    }
    EXPECT_FALSE(extracted.empty());
    // Deleted although the sequence held it open against renaming.
    EXPECT_FALSE(Exists(extracted)) << "the extraction folder stays behind";
    EXPECT_TRUE(options_.extractionFolder.empty());
    EXPECT_FALSE(hold_);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey, kSetupView));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, kSetupView));
    EXPECT_FALSE(Exists(folders_.commonPrograms + L"\\Kelto Quorbel"));
    EXPECT_FALSE(Exists(folders_.commonDesktop + L"\\Kelto Quorbel.lnk"));
  }
}

TEST_F(InstallSequenceTest, DefaultInstallFillsTheFolderWritesTheRecordsAndMakesTheLinks) {
  quickLaunch_.Make();
  Run(kProduct);

  const std::vector<std::wstring> stages = {L"status Please wait while decompressing files",
                                            L"status Please wait while Copying Files",
                                            L"status Please wait while Setup Creator",
                                            L"status Please wait while Copying Files",
                                            L"status Please wait while Setup OCR Add-on",
                                            L"status Please wait while Creating StartMenuShortCut",
                                            L"status Please wait while Creating DesktopShortCut",
                                            L"status Please wait while Creating QuicklaunchShortCut",
                                            L"status Please wait while Writing Register"};
  std::vector<std::wstring> statuses;
  for (const std::wstring& call : progress_.calls) {
    if (call.compare(0, 7, L"status ") == 0) statuses.push_back(call);
  }
  EXPECT_EQ(statuses, stages);
  EXPECT_EQ(SequencePositions(progress_),
            (std::vector<std::wstring>{L"5", L"15", L"15", L"80", L"84", L"88", L"92", L"96", L"100"}));
  ASSERT_FALSE(progress_.calls.empty());
  EXPECT_EQ(progress_.calls.back(), L"finish 1032");
  EXPECT_TRUE(prompts_.prompts().empty());

  // The three-levels-deep folder exists and holds the product files (the components add their own).
  EXPECT_EQ(options_.installFolder, installFolder_ + L"\\");
  EXPECT_EQ(ReadText(Installed(L"Kelto Quorbel.exe")), "program");
  EXPECT_EQ(ReadText(Installed(L"Uninstall.exe")), "uninstaller");
  EXPECT_EQ(ReadText(Installed(L"Readme.txt")), "readme");
  ASSERT_FALSE(options_.extractionFolder.empty());
  EXPECT_EQ(options_.extractionFolder.back(), L'\\');
  EXPECT_EQ(ReadText(options_.extractionFolder + L"kpdfcjk.bin"), "font data");
  EXPECT_TRUE(hold_) << "the extraction folder must stay held until it is deleted";

  const std::wstring folder = options_.installFolder;
  EXPECT_EQ(RecordText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"), L"Kelto Quorbel");
  EXPECT_EQ(RecordText(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"), L"\"" + folder + L"Uninstall.exe\"");
  EXPECT_EQ(RecordText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayIcon"), folder + L"Kelto Quorbel.exe");
  EXPECT_EQ(RecordText(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallPath"), folder + L"Uninstall.exe");
  EXPECT_EQ(RecordText(HKEY_LOCAL_MACHINE, kUninstallKey, L"Publisher"), L"Kelto Software Company");
  EXPECT_EQ(RecordText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"), L"2.2.5.0400");
  EXPECT_EQ(RecordText(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath"), folder);
  EXPECT_EQ(RecordText(HKEY_LOCAL_MACHINE, kProductKey, L"ExistPath"), L"");
  EXPECT_EQ(RecordText(HKEY_LOCAL_MACHINE, kProductKey, L"Version"), L"2.2.5.0400");
  EXPECT_EQ(RecordText(HKEY_LOCAL_MACHINE, kProductKey, L"IsForAllUser"), L"1");
  EXPECT_EQ(RecordText(HKEY_CURRENT_USER, kLanguageKey, L"langid"), L"40811d");

  const std::wstring menu = folders_.commonPrograms + L"\\Kelto Quorbel\\";
  EXPECT_EQ(ReadLink(menu + L"Kelto Quorbel.lnk").target, folder + L"Kelto Quorbel.exe");
  EXPECT_EQ(ReadLink(menu + L"Uninstall.lnk").target, folder + L"Uninstall.exe");
  EXPECT_EQ(ReadLink(menu + L"Readme.lnk").target, folder + L"Readme.txt");
  EXPECT_EQ(ReadLink(folders_.commonDesktop + L"\\Kelto Quorbel.lnk").description, folder);
  EXPECT_EQ(ReadLink(folders_.quickLaunch + L"\\Kelto Quorbel.lnk").target, folder + L"Kelto Quorbel.exe");
}

TEST_F(InstallSequenceTest, NoShortcutChoicesStillRemoveOldLinksAndPassEveryPosition) {
  quickLaunch_.Make();
  const std::wstring oldLink = folders_.commonDesktop + L"\\Kelto Quorbel.lnk";
  ASSERT_TRUE(WriteText(oldLink, "old link"));
  options_.desktopShortcut = options_.startMenuIcon = options_.quickLaunchIcon = 0;
  options_.allUsers = 0;
  options_.SkinIndex = 1;
  options_.existPath = L"c:\\users";
  // A configuration without a version: the records carry the setup's own.
  PackageFiles unversioned = kProduct;
  unversioned[2].second = "<config_info><item/></config_info>";
  Run(unversioned);

  EXPECT_EQ(SequencePositions(progress_),
            (std::vector<std::wstring>{L"5", L"15", L"15", L"80", L"84", L"88", L"92", L"96", L"100"}));
  for (const std::wstring& call : progress_.calls) EXPECT_EQ(call.find(L"ShortCut"), std::wstring::npos);
  int last = 0;  // whatever the printer and components add in between, the bar never goes back
  for (const std::wstring& position : progress_.positions()) {
    EXPECT_GE(std::stoi(position), last);
    last = std::stoi(position);
  }
  EXPECT_EQ(progress_.calls.back(), L"finish 1032");

  EXPECT_FALSE(Exists(oldLink));
  for (const std::wstring& folder : {folders_.commonDesktop, folders_.desktop, folders_.quickLaunch}) {
    EXPECT_FALSE(Exists(folder + L"\\Kelto Quorbel.lnk"));
  }
  EXPECT_FALSE(Exists(folders_.commonPrograms + L"\\Kelto Quorbel"));
  EXPECT_FALSE(Exists(folders_.programs + L"\\Kelto Quorbel"));

  EXPECT_EQ(RecordText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"), L"2.2.4.0225");
  EXPECT_EQ(RecordText(HKEY_LOCAL_MACHINE, kProductKey, L"Version"), L"2.2.4.0225");
  EXPECT_EQ(RecordText(HKEY_LOCAL_MACHINE, kProductKey, L"IsForAllUser"), L"0");
  EXPECT_EQ(RecordText(HKEY_LOCAL_MACHINE, kProductKey, L"ExistPath"), L"c:\\users");
  EXPECT_EQ(RecordText(HKEY_CURRENT_USER, kLanguageKey, L"langid"), L"40814d");
}

// The French language file, loaded as the setup loads it from beside itself.
class FrenchTexts {
 public:
  FrenchTexts() {
    const std::wstring folder = sandbox_.path();
    ::CopyFileW(gui::JoinPath(gui::ModuleFolder(), L"lang\\inst_lang_fr_fr.xml").c_str(),
                (folder + L"\\inst_lang_fr_fr.xml").c_str(), FALSE);
    WriteText(folder + L"\\LangConfig.xml", "<LangConfig LangType=\"1\"><LangId value=\"40814\"/></LangConfig>");
    skin_ = catalogue_.LoadAtStartup(std::u16string(folder.begin(), folder.end()), u"");
  }
  int skin() const { return skin_; }
  TextLookup lookup() const {
    return [this](unsigned id) {
      const std::u16string text = catalogue_.text(id);
      return std::wstring(text.begin(), text.end());
    };
  }

 private:
  Sandbox sandbox_{L"french"};
  StringCatalogue catalogue_{ReadWholeFile, LoadBuiltinString};
  int skin_ = -1;
};

// The printer asks through the install's own prompter, so its questions speak the installer's language during an
// install, as they do during a removal.
TEST_F(InstallSequenceTest, ThePrinterStepAsksInTheInstallersLanguage) {
  if (sys::SpoolerRefusesThePrinter())
    GTEST_SKIP() << "Wine's 32-bit spooler adds no printer on a 64-bit driver, so the add-in never comes";
  FrenchTexts french;
  ASSERT_EQ(french.skin(), 1);
  const std::wstring text96 = french.lookup()(96);
  ASSERT_EQ(text96.rfind(L"L'installation n'est peut-", 0), 0u) << "not the French file's text";
  context_.text = french.lookup();
  options_.SkinIndex = 1;
  options_.isAdmin = 1;  // the printer is installed by administrators only
  options_.isWow64 = PrefixIs64Bit() ? 1 : 0;
  // The driver's files and the add-in, whose copy meets an add-in in use (held open without sharing, as a
  // running word processor holds it): text 96 asks, and the word processor closes it before the second try.
  PackageFiles files = kProduct;
  files.push_back({"kpc_wordaddin.dll", "no library: the registration fails"});
  const std::wstring stage = gui::JoinPath(gui::ModuleFolder(), L"payload-stage\\");
  // On 64-bit Windows the 64-bit files go in under the 32-bit names.
  for (const char* name : {"kqmvpr_drv.dll", "kqmvpr_ui.dll", "kqmvpr_pnt.txt", "KTC_ProxyProcess.exe",
                           "kqmvpr_drv64.dll", "kqmvpr_ui64.dll", "kqmvpr_pnt64.txt", "KTC_ProxyProcess64.exe"}) {
    files.push_back({name, ReadText(stage + gui::Widen(name))});
    ASSERT_FALSE(files.back().second.empty()) << name;
  }
  MakeFolders(installFolder_);
  ASSERT_TRUE(WriteText(Installed(L"kpc_wordaddin.dll"), "the word processor's copy"));
  HANDLE inUse =
      ::CreateFileW(Installed(L"kpc_wordaddin.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(inUse, INVALID_HANDLE_VALUE);
  prompts_ = RecordingPrompter(
      [&inUse](int, unsigned) {
        ::CloseHandle(inUse);
        inUse = nullptr;
        return IDOK;
      },
      french.lookup());
  Run(files);
  std::wstring trail;
  for (const std::wstring& call : progress_.calls) trail += call + L"; ";
  if (inUse) ::CloseHandle(inUse);
  ASSERT_EQ(prompts_.prompts().size(), 1u) << sys::Narrow(trail);
  EXPECT_EQ(prompts_.prompts()[0].textId, 96u);
  EXPECT_EQ(prompts_.prompts()[0].caption, PromptCaption::Printer);
  EXPECT_EQ(prompts_.prompts()[0].captionText, L"Kelto Quorbel Printer");
  EXPECT_EQ(prompts_.prompts()[0].text, text96);
  EXPECT_EQ(progress_.calls.back(), L"finish 1032");
  EXPECT_TRUE(Exists(Installed(L"kpc_wordaddin.dll")));

  // The printer this install left in the spooler goes again.
  RecordingPrompter cleanup;
  VirtualPrinterInstaller printer;
  printer.InitForRemoval(options_.installFolder, nullptr, 60, 75);
  printer.SetPrompter(&cleanup);
  EXPECT_EQ(printer.Remove(), 1);
  EXPECT_TRUE(cleanup.prompts().empty());
}

}  // namespace

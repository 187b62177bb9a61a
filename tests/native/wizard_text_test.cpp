#include <gtest/gtest.h>

#include <cwchar>
#include <set>
#include <string>
#include <vector>

#include "core/association_class.h"
#include "core/install_paths.h"
#include "core/outside_text.h"
#include "core/text_ids.h"
#include "i18n/builtin_strings_native.h"
#include "ui/pages/destination_checks.h"
#include "ui/pages/summary_text.h"

namespace {

std::wstring EnglishText(unsigned id) {
  const std::u16string text = BuiltinEnglishString(id);
  return std::wstring(text.begin(), text.end());
}

const std::wstring kFolderLine = EnglishText(kTextSummaryFolderLine);

TEST(SummaryText, FolderAndEveryShortcut) {
  SummaryChoices c{L"C:\\Program Files\\Kelto Software\\Kelto Quorbel", 1, 1, 1};
  EXPECT_EQ(BuildSummaryText(c, EnglishText, kFolderLine),
            L"Destination Location:\r\n   C:\\Program Files\\Kelto Software\\Kelto Quorbel\r\n\r\n"
            L"Desktop Settings:\r\n   Add a desktop shortcut\r\n   Add an icon to the Start Menu\r\n"
            L"   Add an icon to Windows Quick Launch Toolbar");
}

TEST(SummaryText, NoShortcutsShowsOnlyTheDestination) {
  SummaryChoices c{L"D:\\Apps\\", 0, 0, 0};
  EXPECT_EQ(BuildSummaryText(c, EnglishText, kFolderLine), L"Destination Location:\r\n   D:\\Apps\\\r\n\r\n");
}

TEST(SummaryText, EmptyFolderAndNoShortcutsIsEmpty) {
  EXPECT_EQ(BuildSummaryText(SummaryChoices{}, EnglishText, kFolderLine), L"");
}

TEST(SummaryText, OnlyTheChosenShortcutsAreListed) {
  SummaryChoices c{L"", 0, 1, 0};
  EXPECT_EQ(BuildSummaryText(c, EnglishText, kFolderLine),
            L"Desktop Settings:\r\n   Add an icon to the Start Menu\r\n");
}

TEST(SummaryText, FolderWithPercentSignsIsNotAFormat) {
  // A folder is data: its own %s or %d must come out as typed.
  SummaryChoices c{L"C:\\100%s\\%d", 0, 0, 0};
  EXPECT_EQ(BuildSummaryText(c, EnglishText, kFolderLine), L"Destination Location:\r\n   C:\\100%s\\%d\r\n\r\n");
}

TEST(DestinationParts, DriveAndDirectory) {
  EXPECT_EQ(DrivePart(L"C:\\Program Files\\"), L"C:");
  EXPECT_EQ(DirectoryPart(L"C:\\Program Files\\"), L"\\Program Files\\");
  EXPECT_EQ(DrivePart(L"\\\\server\\share\\"), L"");
  EXPECT_EQ(DrivePart(L"relative\\"), L"");
  EXPECT_EQ(DrivePart(L"x"), L"");
  EXPECT_EQ(FixedDriveString({L"A:\\", L"C:\\", L"D:\\", L"E:\\"}, {false, true, false, true}), L"C:E:");
}

TEST(DestinationParts, ForbiddenCharactersInTheDirectory) {
  for (const wchar_t* bad :
       {L"\\a<b\\", L"\\a>b\\", L"\\a*\\", L"\\a?\\", L"\\\"a\\", L"\\a|b\\", L"\\c:\\x\\", L"\\a/b\\"}) {
    EXPECT_TRUE(HasForbiddenCharacter(bad)) << std::string(bad, bad + wcslen(bad));
  }
  EXPECT_FALSE(HasForbiddenCharacter(L"\\Program Files (x86)\\Kelto Software\\Kelto Quorbel 2.2\\"));
}

TEST(DestinationParts, PrefixesAreLowerCaseAndInOrder) {
  EXPECT_EQ(FolderPrefixes(L"C:\\Program Files\\New\\"),
            (std::vector<std::wstring>{L"c:", L"c:\\program files", L"c:\\program files\\new"}));
}

// A directory tree in memory.
struct FakeDirectories : DirectoryOps {
  std::set<std::wstring> existing;
  std::vector<std::wstring> created, removed;
  std::vector<bool> outermost;  // as each creation was told
  std::wstring failOn;
  bool Exists(const std::wstring& d) override { return existing.count(d) > 0; }
  bool Create(const std::wstring& d, bool first) override {
    if (d == failOn) return false;
    created.push_back(d);
    outermost.push_back(first);
    existing.insert(d);
    return true;
  }
  void Remove(const std::wstring& d) override {
    removed.push_back(d);
    existing.erase(d);
  }
};

TEST(DestinationCreate, NewFolderTwoLevelsDeepIsCreatedOutermostFirstAndUndone) {
  FakeDirectories fs;
  fs.existing = {L"c:", L"c:\\program files"};
  std::wstring existPath;
  const std::wstring folder = L"C:\\Program Files\\New Folder\\Sub\\";
  EXPECT_EQ(CheckAndCreateFolder(folder, L"c:d:", fs, existPath), DestinationCheck::CreatedAskUser);
  EXPECT_EQ(existPath, L"c:\\program files");
  EXPECT_EQ(fs.created,
            (std::vector<std::wstring>{L"c:\\program files\\new folder", L"c:\\program files\\new folder\\sub"}));
  // Only the first one made is the outermost: it alone may need a protection of its own.
  EXPECT_EQ(fs.outermost, (std::vector<bool>{true, false}));
  RemoveCreatedFolders(folder, existPath, fs);
  EXPECT_EQ(fs.removed,
            (std::vector<std::wstring>{L"c:\\program files\\new folder\\sub", L"c:\\program files\\new folder"}));
  EXPECT_EQ(fs.existing, (std::set<std::wstring>{L"c:", L"c:\\program files"}));
}

TEST(DestinationCreate, ExistingFolderNeedsNoQuestion) {
  FakeDirectories fs;
  fs.existing = {L"d:\\apps", L"d:\\apps\\kelto"};
  std::wstring existPath = L"stale";
  EXPECT_EQ(CheckAndCreateFolder(L"D:\\Apps\\Kelto\\", L"c:d:", fs, existPath), DestinationCheck::Existed);
  EXPECT_EQ(existPath, L"d:\\apps\\kelto");
  EXPECT_TRUE(fs.created.empty());
}

TEST(DestinationCreate, NothingBelowTheDriveExisted) {
  FakeDirectories fs;
  std::wstring existPath;
  EXPECT_EQ(CheckAndCreateFolder(L"D:\\New\\", L"C:D:", fs, existPath), DestinationCheck::CreatedAskUser);
  EXPECT_EQ(existPath, L"");
  EXPECT_EQ(fs.outermost, std::vector<bool>{true});
  RemoveCreatedFolders(L"D:\\New\\", existPath, fs);
  EXPECT_EQ(fs.removed, (std::vector<std::wstring>{L"d:\\new"}));
}

TEST(DestinationCreate, RejectionsTouchNothing) {
  const std::wstring longFolder = L"C:\\" + std::wstring(300, L'a') + L"\\";
  for (const std::wstring& folder : {std::wstring(L"E:\\Kelto\\"), std::wstring(L"\\\\server\\share\\"),
                                     std::wstring(L"C:\\a<b\\"), std::wstring(L"C:\\a\\b:c\\"), longFolder}) {
    FakeDirectories fs;
    std::wstring existPath;
    EXPECT_EQ(CheckAndCreateFolder(folder, L"c:d:", fs, existPath), DestinationCheck::Rejected);
    EXPECT_TRUE(fs.created.empty());
  }
  FakeDirectories fs;
  std::wstring existPath;
  EXPECT_EQ(CheckAndCreateFolder(L"C:\\x\\", L"", fs, existPath), DestinationCheck::Rejected);
}

TEST(DestinationCreate, CreationFailureRejectsAndKeepsWhatWasMade) {
  FakeDirectories fs;
  fs.failOn = L"c:\\a\\b";
  std::wstring existPath;
  EXPECT_EQ(CheckAndCreateFolder(L"C:\\A\\B\\C\\", L"c:", fs, existPath), DestinationCheck::Rejected);
  EXPECT_EQ(fs.created, (std::vector<std::wstring>{L"c:\\a"}));
}

// The outermost new folder outside the program-files folders inherits the drive root's rights unless it gets a
// protection of its own; inside one it inherits the program-files folder's.
TEST(DestinationCreate, OnlyANewFolderOutsideTheProgramFilesFoldersNeedsItsOwnProtection) {
  const std::vector<std::wstring> programFiles = {L"C:\\Program Files", L"C:\\Program Files (x86)\\"};
  const struct {
    const wchar_t* outermostNew;
    bool own;
  } rows[] = {
      {L"C:\\Quorbel", true},
      {L"d:\\apps", true},
      {L"c:\\program files\\kelto software", false},
      {L"C:\\PROGRAM FILES (X86)\\Kelto Software\\", false},
      {L"C:\\Program Files (x86)\\Kelto Software", false},
      {L"C:\\Program Files2", true},  // a name that only starts like it
      {L"C:\\Program Files Extra\\New", true},
      {L"C:\\Program Files", true},         // the folder itself was missing: nothing to inherit from
      {L"D:\\Program Files\\Kelto", true},  // another drive's folder of the same name
  };
  for (const auto& row : rows) {
    EXPECT_EQ(NeedsOwnProtection(row.outermostNew, programFiles), row.own)
        << std::string(row.outermostNew, row.outermostNew + wcslen(row.outermostNew));
  }
  EXPECT_TRUE(NeedsOwnProtection(L"C:\\Program Files\\Kelto", {}));
  EXPECT_TRUE(NeedsOwnProtection(L"C:\\Kelto", {L""}));
}

// A stopped install removes what this run made for the install folder, deepest first, and nothing above it.
TEST(DestinationCreate, AStoppedInstallTakesBackTheFoldersThisRunMade) {
  const std::wstring folder = L"D:\\Apps\\PDF Tools\\Quorbel\\";
  EXPECT_EQ(FoldersToTakeBack(folder, L"d:\\apps\\pdf tools"),
            (std::vector<std::wstring>{L"D:\\Apps\\PDF Tools\\Quorbel", L"D:\\Apps\\PDF Tools"}));
  EXPECT_EQ(FoldersToTakeBack(folder, L"D:\\Apps\\PDF Tools\\Quorbel"),
            std::vector<std::wstring>{L"D:\\Apps\\PDF Tools\\Quorbel"});
  EXPECT_EQ(FoldersToTakeBack(L"D:\\Apps", L"d:\\apps\\"), std::vector<std::wstring>{L"D:\\Apps"});
  // Nothing made, or made for a folder given up later: nothing goes.
  EXPECT_TRUE(FoldersToTakeBack(folder, L"").empty());
  EXPECT_TRUE(FoldersToTakeBack(folder, L"D:\\Other").empty());
  EXPECT_TRUE(FoldersToTakeBack(folder, L"D:\\Ap").empty());
  EXPECT_TRUE(FoldersToTakeBack(L"D:\\Apps", L"D:\\Apps\\PDF Tools").empty());

  // The outermost folder made in the whole run is what counts.
  std::wstring created;
  NoteCreatedFolder(created, L"");
  EXPECT_EQ(created, L"");
  NoteCreatedFolder(created, L"d:\\apps");
  EXPECT_EQ(created, L"d:\\apps");
  NoteCreatedFolder(created, L"D:\\Apps\\PDF Tools\\");
  EXPECT_EQ(created, L"d:\\apps");
  NoteCreatedFolder(created, L"C:\\Program Files\\Kelto Software\\");
  EXPECT_EQ(created, L"C:\\Program Files\\Kelto Software");
}

}  // namespace

namespace {

// Names and addresses from a language file: a hostile one must never become a path outside its folder, a
// device, or a program to start. A link opens a web address as it is and a bare host name as a web address.
TEST(OutsideText, NamesAndAddresses) {
  struct Row {
    const wchar_t* text;
    bool name;
    bool address;
    const wchar_t* opened = nullptr;  // what a link opens when it is not the address itself; "" nothing
  };
  const Row rows[] = {
      {L"Kelto Quorbel", true, false},
      {L"Désinstaller", true, false},
      {L"Readme.txt", true, false, L"http://Readme.txt"},
      {L"", false, false},
      {L".", false, false},
      {L"..", false, false},
      {L"..\\..\\Startup", false, false},
      {L"a/b", false, false},
      {L"C:", false, false},
      {L"what?", false, false},
      {L"tab\there", false, false},
      {L"trailing.", false, false, L"http://trailing."},
      {L"trailing ", false, false},
      {L"CON", false, false, L"http://CON"},
      {L"nul.txt", false, false, L"http://nul.txt"},
      {L"com1", false, false, L"http://com1"},
      {L"LPT9.lnk", false, false, L"http://LPT9.lnk"},
      {L"COM10", true, false, L"http://COM10"},
      {L"CONSOLE", true, false, L"http://CONSOLE"},
      {L"http://www.example.com/", false, true},
      {L"HTTPS://example.com", false, true},
      {L"https://", false, false},
      {L"file:///C:/Windows/System32/calc.exe", false, false},
      {L"C:\\Windows\\System32\\calc.exe", false, false},
      {L"calc.exe", true, false, L"http://calc.exe"},
      {L" http://example.com", false, false},
      {L"www.kelto.example", true, false, L"http://www.kelto.example"},
      {L"WWW.Kelto-2.example", true, false, L"http://WWW.Kelto-2.example"},
      {L"localhost", true, false, L"http://localhost"},
      {L"www.kelto.example/quorbel", false, false},
      {L"www.kelto.example:8080", false, false},
      {L"www.kelto.example ", false, false},
      {L"-www.kelto.example", true, false},
      {L".kelto.example", true, false},
      {L"kelto_example", true, false},
      {L"k\u00e9lto.example", true, false},
      {L"mailto:someone@kelto.example", false, false},
      {L"javascript:alert(1)", false, false},
      {L"\\\\server\\share\\setup.exe", false, false},
  };
  for (const Row& row : rows) {
    const std::string shown(row.text, row.text + std::wcslen(row.text));
    EXPECT_EQ(IsSafeFileName(row.text), row.name) << shown;
    EXPECT_EQ(IsWebAddress(row.text), row.address) << shown;
    const std::wstring opened = row.opened ? row.opened : row.address ? row.text : L"";
    EXPECT_TRUE(WebAddressToOpen(row.text) == opened) << shown;
  }
}

// A class name from the user's own hive becomes the .pdf handler again only when it opens documents with a
// program; the executable and script classes, under any spelling, never do.
TEST(OutsideText, SavedHandlersNameDocumentClassesNeverProgramClasses) {
  const std::vector<std::wstring> system = {L"VBSFile", L"Custom.ScriptRunner", L""};
  const struct {
    const wchar_t* name;
    bool document;
  } rows[] = {
      {L"OtherReader.Document", true},
      {L"AcroExch.Document.7", true},
      {L"Applications\\reader.exe", true},
      {L"txtfile", true},
      {L"exefile", false},
      {L"EXEFILE", false},
      {L"htafile", false},
      {L"JSFile", false},
      {L"jsfile", false},
      {L"jsefile", false},
      {L"batfile", false},
      {L"cmdfile", false},
      {L"comfile", false},
      {L"piffile", false},
      {L"scrfile", false},
      {L"vbefile", false},
      {L"wsffile", false},
      {L"WSHFile", false},
      {L"Microsoft.PowerShellScript.1", false},
      {L"msi.package", false},
      {L"regfile", false},
      {L"lnkfile", false},
      {L"InternetShortcut", false},
      {L"exe", false},
      {L".exe", false},
      {L".HTA", false},
      {L"ps1", false},
      {L".url", false},
      {L"vbsfile", false},              // what this system names for .vbs, and also the usual name
      {L"custom.scriptrunner", false},  // what this system names for another program extension
      {L"", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(IsDocumentClass(row.name, system), row.document)
        << std::string(row.name, row.name + std::wcslen(row.name));
  }
  EXPECT_EQ(ProgramExtensions().size(), 18u);
}

}  // namespace

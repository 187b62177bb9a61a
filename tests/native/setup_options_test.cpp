#include "core/setup_options.h"

#include <gtest/gtest.h>

TEST(SetupOptions, ResetGivesTheDefaultInstallChoices) {
  SetupOptions o;
  // Leftovers of an earlier life must all be replaced.
  o.existingState = 3;
  o.uninstallViaPipe = 1;
  o.defaultInstall = o.desktopShortcut = o.startMenuIcon = o.quickLaunchIcon = o.allUsers = o.runProgram = 0;
  o.viewReadme = 1;
  o.setDefaultPrinter = o.setDefaultPdfHandler = 0;
  o.existPath = L"c:\\old";
  o.createdFolder = L"c:\\old";
  o.incompleteInstall = 1;
  o.extractionFolder = L"C:\\TEMP\\KEL1.TMP\\";
  o.installFolder = L"D:\\Elsewhere\\";
  o.isWow64 = 1;
  o.isAdmin = 1;

  ResetOptions(o, 2, 1, L"C:\\Program Files");

  EXPECT_EQ(o.SkinIndex, 2);
  EXPECT_EQ(o.languageMode, 1);
  EXPECT_EQ(o.existingState, 0);
  EXPECT_EQ(o.uninstallViaPipe, 0);
  EXPECT_EQ(o.defaultInstall, 1);
  EXPECT_EQ(o.desktopShortcut, 1);
  EXPECT_EQ(o.startMenuIcon, 1);
  EXPECT_EQ(o.quickLaunchIcon, 1);
  EXPECT_EQ(o.allUsers, 1);
  EXPECT_EQ(o.runProgram, 1);
  EXPECT_EQ(o.viewReadme, 0);
  EXPECT_EQ(o.setDefaultPrinter, 1);
  EXPECT_EQ(o.setDefaultPdfHandler, 1);
  EXPECT_TRUE(o.existPath.empty());
  EXPECT_TRUE(o.createdFolder.empty());
  EXPECT_EQ(o.incompleteInstall, 0);
  EXPECT_TRUE(o.extractionFolder.empty());
  EXPECT_EQ(o.defaultInstallFolder, L"C:\\Program Files\\Kelto Software\\Kelto Quorbel");
  EXPECT_EQ(o.installFolder, o.defaultInstallFolder);
  EXPECT_EQ(o.setupVersion, L"2.2.4.0225");
  // The checks own these; the reset leaves them alone.
  EXPECT_EQ(o.isWow64, 1);
  EXPECT_EQ(o.isAdmin, 1);
}

TEST(SetupOptions, DefaultFolderHasNoTrailingBackslash) {
  SetupOptions o;
  ResetOptions(o, 0, 0, L"C:\\Program Files (x86)");
  EXPECT_EQ(o.installFolder, L"C:\\Program Files (x86)\\Kelto Software\\Kelto Quorbel");
  EXPECT_NE(o.installFolder.back(), L'\\');
}

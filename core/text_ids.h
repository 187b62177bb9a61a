#pragma once
// IDs of the localized texts (the built-in English table and every language file use the same numbers).

enum TextId : unsigned {
  kTextCaption = 1,
  kTextVendorAddress = 2,
  kTextVendorFullAddress = 3,  // the footer link's tooltip and the uninstall entry's URLInfoAbout
  kTextMoreInformation = 4,
  kTextOk = 5,
  kTextBack = 6,
  kTextNext = 7,
  kTextCancel = 8,
  kTextAgree = 9,
  kTextDisagree = 10,
  kTextDefault = 11,
  kTextCustom = 12,
  kTextBrowse = 13,
  kTextInstall = 14,
  kTextFinish = 16,
  kTextSelectLanguage = 17,
  kTextSameVersionInstalled = 28,
  kTextOlderVersionInstalled = 29,
  kTextNewerVersionInstalled = 30,
  kTextChooseDirectory = 44,
  kTextShortcutFailed = 58,
  kTextCloseProgram = 59,
  kTextProgramLink = 60,
  kTextUninstallLink = 61,
  kTextReadmeLink = 63,
  kTextNoSystemInformation = 64,
  kTextWindowsTooOld = 65,
  kTextNeedAdministrator = 66,
  kTextInterrupted = 70,
  kTextNotModified = 71,
  kTextClickFinish = 72,
  kTextWrongDirectory = 89,
  kTextCreateDirectory = 90,
  kTextConfirmCancel = 91,
  kTextCantOpenPrinter = 93,
  kTextCantDeletePrinter = 94,
  kTextCantDeleteDriver = 95,
  kTextCloseWordProcessor = 96,
  kTextLicenceStandIn = 97,
  kTextProgramInUse = 98,
  kTextDeletingFiles = 100,
  kTextFirstLanguageName = 101,   // 101 + SkinIndex
  kTextPackageNotUnpacked = 118,  // with the extraction's result code
  kTextFileNotCopied = 119,       // with the destination's path
  kTextInstallIncomplete = 120,   // the Interrupted page's text 71 after a stop that replaced files
};

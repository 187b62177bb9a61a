// The built-in English string table as the native tests see it; the
// executable gets the same texts from resources/strings_en.rc, which
// i18n_test.cpp reads back and compares with this copy.
#include "tests/native/i18n_test_builtin_strings.h"

const std::map<unsigned, std::u16string>& BuiltinEnglishStrings() {
  static const std::map<unsigned, std::u16string> table = {
      {1, u"Kelto Quorbel Install Wizard"},
      {2, u"www.kelto.example"},
      {3, u"https://www.kelto.example"},
      {4, u"https://www.kelto.example/quorbel"},
      {5, u"&OK"},
      {6, u"<&Back"},
      {7, u"&Next>"},
      {8, u"&Cancel"},
      {9, u"I &agree"},
      {10, u"  I &don't agree"},
      {11, u"Default"},
      {12, u"Custom"},
      {13, u"B&rowse..."},
      {14, u"I&nstall"},
      {16, u"&Finish"},
      {17, u"Please select a language:"},
      {18, u"Setup will install Kelto Quorbel on your computer. To continue, please click Next."},
      {19, u"Main features include the following:"},
      {20, u"- OCR text recognition"},
      {21, u"- Add header and footer"},
      {22, u"- Add background and watermark"},
      {23, u"- Insert multiple files to PDF"},
      {24, u"- Create PDF from scanner"},
      {25, u"- Design custom forms"},
      {26, u"- And much more"},
      {27, u"This program is protected by copyright law and international treaties."},
      {28,
       u"The same version has been installed in your computer. To continue installing, please close all related "
       u"applications, and click Next to continue."},
      {29,
       u"An old version has been installed in your computer. To continue installing, please close all related "
       u"applications, and click Next to continue."},
      {30,
       u"A new version has been installed in your computer. To continue installing, please close all related "
       u"applications, and click Next to continue."},
      {31, u"Please read the license terms below before installing."},
      {32, u"Please select one installation type by pressing one of the following two buttons:"},
      {33, u"Use default settings for all configurations (Recommended)."},
      {34, u"Choose this button only if you want to customize some installation configurations."},
      {35,
       u"Check the components you want to install and uncheck the components you don't want to install. Click Next to "
       u"continue."},
      {36, u"Select components to install:"},
      {37, u"Space required: 45MB"},
      {38, u"Descripton"},
      {39, u"Please choose the folder where you would like Kelto Quorbel to be installed:"},
      {40, u"Disk Space"},
      {41, u"Name"},
      {42, u"Total Disk Space"},
      {43, u"Free Disk Space"},
      {44, u"Please choose the directory for installation."},
      {45, u"Desktop Settings:"},
      {46, u"Add a desktop shortcut"},
      {47, u"Add an icon to the Start Menu"},
      {48, u"Add an icon to Windows Quick Launch Toolbar"},
      {49, u"Install for all users"},
      {50, u"To review or change any of your installation folder, click Back.Click Install to continue Setup."},
      {51, u"Destination Location:\r\n"},
      {52, u"   %s\r\n\r\n"},
      {53, u"Desktop Settings:\r\n"},
      {54, u"   Add a desktop shortcut\r\n"},
      {55, u"   Add an icon to the Start Menu\r\n"},
      {56, u"   Add an icon to Windows Quick Launch Toolbar"},
      {57, u"Please wait while copying files..."},
      {58, u"Fail to create a shortcut."},
      {59,
       u"Kelto Quorbel must be closed to proceed with the installation. Please close all running Kelto Quorbel and "
       u"then click OK to continue."},
      {60, u"Kelto Quorbel"},
      {61, u"Uninstall"},
      {63, u"Readme"},
      {64, u"Can't get the correct operating system information. Setup will end."},
      {65, u"Kelto Quorbel Printer only supports Windows 2000 or later. Setup will end."},
      {66, u"You must have administrator privileges to run the Setup program."},
      {67, u"Kelto Quorbel is installed in your system, do you want to reinstall?"},
      {68, u"A new version of Kelto Quorbel is installed in your system, do you want to install an old version?"},
      {69, u"An old version of Kelto Quorbel is installed in your system, do you want to install an updated version?"},
      {70, u"Setup was interrupted before Kelto Quorbel could be completely installed."},
      {71,
       u"Your system has not been modified. To install this program at a later time, please run the installation "
       u"again."},
      {72, u"Click Finish to exit Setup."},
      {73, u"Setup has successfully installed Kelto Quorbel. Click Finish to exit Setup."},
      {74, u"Run Kelto Quorbel"},
      {75, u"View \"Readme.txt\""},
      {89, u"Please input or select a right directory."},
      {90, u"This directory dose not exist, do you want to create it?"},
      {91, u"Are you sure you want to cancel Kelto Quorbel installation?"},
      {92, u"Set Kelto Quorbel Printer as default"},
      {93,
       u"Can't open Kelto Quorbel Printer. \nPlease close all the applications that may be using the printer and try "
       u"again, \nor click 'CANCEL' to quit."},
      {94,
       u"Can't delete Kelto Quorbel Printer. \nPlease close all the applications that may be using the printer and try "
       u"again, \nor click 'CANCEL' to quit."},
      {95,
       u"Can't delete Kelto Quorbel Driver. \nPlease close all the programs that may be using the printer and try "
       u"again, \nor click 'CANCEL' to quit."},
      {96,
       u"Installation might not be complete. \nPlease close the Microsoft Word program and click 'OK' to try again, "},
      {97, u"This is the EULA."},
      {98, u"Kelto Quorbel is being used, please exit and retry."},
      {100, u"Please wait while deleting files..."},
      {101, u"English"},
      {102, u"French"},
      {103, u"German"},
      {104, u"Korean"},
      {105, u"Japanese"},
      {106, u"Chinese_Simplified"},
      {107, u"Chinese_Traditional"},
      {117, u"Set Kelto Quorbel as default PDF reader"},
      {118, u"Setup could not unpack the installation package (error %s). Nothing has been installed."},
      {119,
       u"Setup could not copy %s. The installation has been stopped: make sure the destination folder can be written "
       u"and has enough free space, then run Setup again."},
      {120,
       u"Setup had already replaced files of an earlier installation: Kelto Quorbel is incomplete now. Please run the "
       u"installation again."},
  };
  return table;
}

std::u16string BuiltinEnglishString(unsigned id) {
  const auto& table = BuiltinEnglishStrings();
  const auto it = table.find(id);
  return it == table.end() ? std::u16string() : it->second;
}

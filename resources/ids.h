#pragma once
// Dialog templates and their controls, the skin pictures and the licence, for the .rc files, the pages and the
// GUI driver. Plain defines so that the resource compiler reads them too. Keep the numbers: outside tools find
// the pages and controls by them.

// The setup's icon, in the title bars and in the language dialog.
#define IDI_SETUP 128

// Skin pictures (resources/art.rc, written by art/make_art.sh), one set per installer language in SkinIndex
// order: the side picture and banner (one file each for all languages) and the welcome, finish and interrupted
// page titles.
#define IDB_SIDE_EN 402
#define IDB_BANNER_EN 403
#define IDB_WELCOME_TITLE_EN 401
#define IDB_FINISH_TITLE_EN 404
#define IDB_INTERRUPTED_TITLE_EN 405
#define IDB_SIDE_FR 155
#define IDB_BANNER_FR 156
#define IDB_WELCOME_TITLE_FR 157
#define IDB_FINISH_TITLE_FR 154
#define IDB_INTERRUPTED_TITLE_FR 153
#define IDB_SIDE_DE 160
#define IDB_BANNER_DE 161
#define IDB_WELCOME_TITLE_DE 162
#define IDB_FINISH_TITLE_DE 159
#define IDB_INTERRUPTED_TITLE_DE 158
#define IDB_SIDE_KO 170
#define IDB_BANNER_KO 171
#define IDB_WELCOME_TITLE_KO 172
#define IDB_FINISH_TITLE_KO 169
#define IDB_INTERRUPTED_TITLE_KO 168
#define IDB_SIDE_JA 165
#define IDB_BANNER_JA 166
#define IDB_WELCOME_TITLE_JA 167
#define IDB_FINISH_TITLE_JA 164
#define IDB_INTERRUPTED_TITLE_JA 163
#define IDB_SIDE_ZH_CN 407
#define IDB_BANNER_ZH_CN 408
#define IDB_WELCOME_TITLE_ZH_CN 406
#define IDB_FINISH_TITLE_ZH_CN 409
#define IDB_INTERRUPTED_TITLE_ZH_CN 410
#define IDB_SIDE_ZH_TW 175
#define IDB_BANNER_ZH_TW 176
#define IDB_WELCOME_TITLE_ZH_TW 177
#define IDB_FINISH_TITLE_ZH_TW 174
#define IDB_INTERRUPTED_TITLE_ZH_TW 173

// The licence agreement shown for English (resources/license.rc), of the custom type "LICENSE".
#define IDR_LICENCE_TEXT 183

// Installer language (offered when the language list asks for it; cannot be cancelled).
#define IDD_LANGUAGE 103
#define IDC_LANGUAGE_ICON 1000
#define IDC_LANGUAGE_PROMPT 1001
#define IDC_LANGUAGE_LIST 1002
#define IDC_LANGUAGE_OK 1003
#define IDC_LANGUAGE_CANCEL 1004

// Welcome: side picture, title picture, introduction and the list of features.
#define IDD_WELCOME 104
#define IDC_WELCOME_PICTURE 1100
#define IDC_WELCOME_TITLE 1101
#define IDC_WELCOME_INTRO 1102
#define IDC_WELCOME_FEATURES 1103
#define IDC_WELCOME_FEATURE1 1104  // six lines in a row, 1104 to 1109
#define IDC_WELCOME_FEATURE2 1105
#define IDC_WELCOME_FEATURE3 1106
#define IDC_WELCOME_FEATURE4 1107
#define IDC_WELCOME_FEATURE5 1108
#define IDC_WELCOME_FEATURE6 1109
#define IDC_WELCOME_MORE 1110
#define IDC_WELCOME_COPYRIGHT 1111
#define IDC_WELCOME_SEPARATOR 1112
#define IDC_WELCOME_FOOTER 1113
#define IDC_WELCOME_NEXT 1114
#define IDC_WELCOME_CANCEL 1115

// Existing version: what is installed already, and whether to go on.
#define IDD_EXISTING 114
#define IDC_EXISTING_PICTURE 1087
#define IDC_EXISTING_TITLE 1088
#define IDC_EXISTING_TEXT 1089
#define IDC_EXISTING_SEPARATOR 1090
#define IDC_EXISTING_FOOTER 1091
#define IDC_EXISTING_NEXT 1092
#define IDC_EXISTING_CANCEL 1093
#define IDC_EXISTING_BACK 1094

// Licence agreement: agree goes on, disagree cancels.
#define IDD_LICENCE 105
#define IDC_LICENCE_BANNER 1200
#define IDC_LICENCE_INTRO 1201
#define IDC_LICENCE_TEXT 1202
#define IDC_LICENCE_SEPARATOR 1203
#define IDC_LICENCE_FOOTER 1204
#define IDC_LICENCE_BACK 1205
#define IDC_LICENCE_AGREE 1206
#define IDC_LICENCE_DISAGREE 1207

// Install type: two square buttons, Default and Custom.
#define IDD_TYPE 106
#define IDC_TYPE_BANNER 1300
#define IDC_TYPE_GROUP 1301
#define IDC_TYPE_INTRO 1302
#define IDC_TYPE_DEFAULT 1303
#define IDC_TYPE_CUSTOM 1304
#define IDC_TYPE_DEFAULT_TEXT 1305
#define IDC_TYPE_CUSTOM_TEXT 1306
#define IDC_TYPE_SEPARATOR 1307
#define IDC_TYPE_FOOTER 1308
#define IDC_TYPE_BACK 1309
#define IDC_TYPE_CANCEL 1310

// Components: a checked tree that is shown and never read.
#define IDD_COMPONENTS 107
#define IDC_COMPONENTS_BANNER 1029
#define IDC_COMPONENTS_SEPARATOR 1030
#define IDC_COMPONENTS_FOOTER 1031
#define IDC_COMPONENTS_BACK 1032
#define IDC_COMPONENTS_NEXT 1033
#define IDC_COMPONENTS_CANCEL 1034
#define IDC_COMPONENTS_INTRO 1035
#define IDC_COMPONENTS_TREE_LABEL 1036
#define IDC_COMPONENTS_SPACE 1037
#define IDC_COMPONENTS_DESCRIPTION 1038
#define IDC_COMPONENTS_GROUP 1039
#define IDC_COMPONENTS_TREE 1040

// Destination: the folder, Browse, and the list of fixed drives with their space.
#define IDD_DESTINATION 108
#define IDC_DESTINATION_BANNER 1400
#define IDC_DESTINATION_INTRO 1401
#define IDC_DESTINATION_FOLDER 1402
#define IDC_DESTINATION_BROWSE 1403
#define IDC_DESTINATION_GROUP 1404
#define IDC_DESTINATION_DRIVES 1405
#define IDC_DESTINATION_DRIVES_BOTTOM 1406
#define IDC_DESTINATION_DRIVES_RIGHT 1407
#define IDC_DESTINATION_SPACE 1408
#define IDC_DESTINATION_SEPARATOR 1409
#define IDC_DESTINATION_FOOTER 1410
#define IDC_DESTINATION_BACK 1411
#define IDC_DESTINATION_NEXT 1412
#define IDC_DESTINATION_CANCEL 1413

// Desktop settings: four check boxes for the shortcuts and the all-users choice.
#define IDD_DESKTOP 109
#define IDC_DESKTOP_BANNER 1500
#define IDC_DESKTOP_GROUP 1501
#define IDC_DESKTOP_CANCEL 1502
#define IDC_DESKTOP_SHORTCUT 1503
#define IDC_DESKTOP_START_MENU 1504
#define IDC_DESKTOP_QUICK_LAUNCH 1505
#define IDC_DESKTOP_ALL_USERS 1506
#define IDC_DESKTOP_SEPARATOR 1507
#define IDC_DESKTOP_FOOTER 1508
#define IDC_DESKTOP_BACK 1509
#define IDC_DESKTOP_NEXT 1510

// Summary: the choices made, before Install.
#define IDD_SUMMARY 110
#define IDC_SUMMARY_BANNER 1600
#define IDC_SUMMARY_INTRO 1601
#define IDC_SUMMARY_TEXT 1602
#define IDC_SUMMARY_SEPARATOR 1603
#define IDC_SUMMARY_FOOTER 1604
#define IDC_SUMMARY_BACK 1605
#define IDC_SUMMARY_INSTALL 1606
#define IDC_SUMMARY_CANCEL 1607

// Progress: status line and bar while the install runs; its buttons stay disabled.
#define IDD_PROGRESS 113
#define IDC_PROGRESS_BANNER 1900
#define IDC_PROGRESS_STATUS 1901
#define IDC_PROGRESS_HIDDEN_TEXT 1902
#define IDC_PROGRESS_SEPARATOR 1903
#define IDC_PROGRESS_FOOTER 1904
#define IDC_PROGRESS_BACK 1905
#define IDC_PROGRESS_NEXT 1906
#define IDC_PROGRESS_CANCEL 1907
#define IDC_PROGRESS_BAR 1908

// Finish: what to do after the install, then Finish.
#define IDD_FINISH 111
#define IDC_FINISH_PICTURE 1700
#define IDC_FINISH_TITLE 1701
#define IDC_FINISH_TEXT 1702
#define IDC_FINISH_RUN 1703
#define IDC_FINISH_README 1704
#define IDC_FINISH_SEPARATOR 1705
#define IDC_FINISH_FOOTER 1706
#define IDC_FINISH_FINISH 1707
#define IDC_FINISH_DEFAULT_PRINTER 1708
#define IDC_FINISH_DEFAULT_PDF 1709

// Interrupted: three lines of text, then Finish.
#define IDD_INTERRUPTED 112
#define IDC_INTERRUPTED_PICTURE 1800
#define IDC_INTERRUPTED_TITLE 1801
#define IDC_INTERRUPTED_TEXT1 1802  // three lines in a row, 1802 to 1804
#define IDC_INTERRUPTED_TEXT2 1803
#define IDC_INTERRUPTED_TEXT3 1804
#define IDC_INTERRUPTED_SEPARATOR 1805
#define IDC_INTERRUPTED_FOOTER 1806
#define IDC_INTERRUPTED_FINISH 1807

// Removal of an earlier version while its own uninstaller reports over the pipe.
#define IDD_PIPE_REMOVAL 178
#define IDC_PIPE_REMOVAL_BANNER 1114
#define IDC_PIPE_REMOVAL_TEXT 1115
#define IDC_PIPE_REMOVAL_BAR 1116

// Removal of an earlier version by the setup itself.
#define IDD_BUILTIN_REMOVAL 179
#define IDC_BUILTIN_REMOVAL_BAR 1117
#define IDC_BUILTIN_REMOVAL_BANNER 1118
#define IDC_BUILTIN_REMOVAL_TEXT 1119

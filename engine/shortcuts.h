#pragma once
// Shell links on the desktop, in the Start menu and in the quick-launch folder. Their file names are
// localized (kTextProgramLink, kTextUninstallLink, kTextReadmeLink); their targets are fixed files in the install
// folder.
#include <string>

#include "core/install_context.h"

// The path of a special folder (CSIDL value), without a trailing backslash; empty when it can't be resolved.
std::wstring SpecialFolderPath(int csidl);

// Deletes "Kelto Quorbel.lnk" and "KelmoraQuorbel.lnk" (fixed, never localized names) from both desktops,
// both Start-menu folders named by kTextProgramLink and the quick-launch folder.
void RemoveOldShortcuts(const InstallContext& context);

// The program, uninstaller and readme links in a Start-menu folder named by kTextProgramLink (all users' menu when
// allUsers is 1).
void CreateStartMenuShortcuts(const InstallContext& context);
// The program link on the desktop (all users' desktop when allUsers is 1).
void CreateDesktopShortcut(const InstallContext& context);
// The program link in the user's quick-launch folder, which is not created when missing.
void CreateQuickLaunchShortcut(const InstallContext& context);

// Writes folder\linkName.lnk pointing to install folder + targetBase (".txt" for "Readme", else ".exe"),
// described by the install folder. kTextShortcutFailed only when the shell's link object can't be created; a failed
// save is silent. Always true.
bool CreateShortcut(const InstallContext& context, const std::wstring& targetBase, const std::wstring& folder,
                    const std::wstring& linkName);

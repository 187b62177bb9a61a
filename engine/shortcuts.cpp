#include "engine/shortcuts.h"

#include <objbase.h>
#include <shlobj.h>

#include "core/outside_text.h"
#include "core/text_ids.h"
#include "framework/base/handles.h"
#include "framework/base/path_text.h"
#include "i18n/win_string_sources.h"

namespace {

// A text that becomes a folder or link name: the language file's only when it is a plain name, else the
// built-in English one, so that no language file can point a link or a deletion outside its folder.
std::wstring NameText(const InstallContext& context, unsigned id) {
  const std::wstring text = context.text(id);
  if (IsSafeFileName(text)) return text;
  return Wide(LoadBuiltinString(id));
}

constexpr wchar_t kQuickLaunch[] = L"Microsoft\\Internet Explorer\\Quick Launch";
// Links of earlier versions: their names never followed the installer language.
constexpr const wchar_t* kOldLinkNames[] = {L"Kelto Quorbel.lnk", L"KelmoraQuorbel.lnk"};

int AllUsersOr(const InstallContext& context, int common, int own) {
  return context.options.allUsers == 1 ? common : own;
}

}  // namespace

std::wstring SpecialFolderPath(int csidl) {
  LPITEMIDLIST items = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &items)) || !items) return std::wstring();
  wchar_t path[MAX_PATH] = L"";
  const BOOL found = ::SHGetPathFromIDListW(items, path);
  ::CoTaskMemFree(items);
  return found ? std::wstring(path) : std::wstring();
}

void RemoveOldShortcuts(const InstallContext& context) {
  const std::wstring menuFolder = NameText(context, kTextProgramLink);
  const struct {
    int csidl;
    std::wstring subfolder;
  } places[] = {{CSIDL_COMMON_DESKTOPDIRECTORY, L""},
                {CSIDL_DESKTOPDIRECTORY, L""},
                {CSIDL_COMMON_PROGRAMS, menuFolder},
                {CSIDL_PROGRAMS, menuFolder},
                {CSIDL_APPDATA, kQuickLaunch}};
  for (const auto& place : places) {
    std::wstring folder = SpecialFolderPath(place.csidl);
    // An unresolved folder would turn into the root of the current drive.
    if (folder.empty()) continue;
    if (!place.subfolder.empty()) folder += L"\\" + place.subfolder;
    folder += L"\\";
    for (const wchar_t* name : kOldLinkNames) ::DeleteFileW((folder + name).c_str());
  }
}

void CreateStartMenuShortcuts(const InstallContext& context) {
  const std::wstring programs = SpecialFolderPath(AllUsersOr(context, CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS));
  if (programs.empty()) return;
  const std::wstring folder = programs + L"\\" + NameText(context, kTextProgramLink);
  ::CreateDirectoryW(folder.c_str(), nullptr);  // an existing folder is fine
  CreateShortcut(context, L"Kelto Quorbel", folder, NameText(context, kTextProgramLink));
  CreateShortcut(context, L"Uninstall", folder, NameText(context, kTextUninstallLink));
  CreateShortcut(context, L"Readme", folder, NameText(context, kTextReadmeLink));
}

void CreateDesktopShortcut(const InstallContext& context) {
  const std::wstring desktop =
      SpecialFolderPath(AllUsersOr(context, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY));
  if (desktop.empty()) return;
  CreateShortcut(context, L"Kelto Quorbel", desktop, NameText(context, kTextProgramLink));
}

void CreateQuickLaunchShortcut(const InstallContext& context) {
  const std::wstring appData = SpecialFolderPath(CSIDL_APPDATA);
  if (appData.empty()) return;
  // The trailing backslash doubles in the link path; the file system takes it.
  CreateShortcut(context, L"Kelto Quorbel", appData + L"\\" + kQuickLaunch + L"\\",
                 NameText(context, kTextProgramLink));
}

bool CreateShortcut(const InstallContext& context, const std::wstring& targetBase, const std::wstring& folder,
                    const std::wstring& linkName) {
  const ComScope com;
  ComRef<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.receive())) ||
      !link.get()) {
    context.prompt.Ask(kTextShortcutFailed, MB_ICONWARNING | MB_OK);
    return true;
  }
  const std::wstring& installFolder = context.options.installFolder;
  const std::wstring linkPath = folder + L"\\" + linkName + L".lnk";
  const std::wstring target = installFolder + targetBase + (targetBase == L"Readme" ? L".txt" : L".exe");
  link->SetPath(target.c_str());
  link->SetDescription(installFolder.c_str());

  ComRef<IPersistFile> file;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.receive())) && file.get()) {
    file->Save(linkPath.c_str(), TRUE);
  }
  return true;
}

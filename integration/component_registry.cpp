// Not written yet: installs nothing and says so by returning 0 from every install.
#include "integration/component_registry.h"

namespace {

std::wstring WithoutTrailingBackslash(const std::wstring& path) {
  return !path.empty() && path.back() == L'\\' ? path.substr(0, path.size() - 1) : path;
}

}  // namespace

void ComponentRegistry::SetProgress(InstallProgress* progress, int start, int end) {
  range_ = {progress, start, end};
}
void ComponentRegistry::SetSourceFolder(const std::wstring& path) { sourceFolder_ = WithoutTrailingBackslash(path); }
void ComponentRegistry::SetInstallFolder(const std::wstring& path) {
  installFolder_ = WithoutTrailingBackslash(path);
}
void ComponentRegistry::SetAllUsers(int allUsers) { allUsers_ = allUsers; }
void ComponentRegistry::SetSkinIndex(int skinIndex) { skinIndex_ = skinIndex; }

int ComponentRegistry::InstallCjkSupport() { return 0; }
int ComponentRegistry::RemoveCjkSupport() { return 1; }
int ComponentRegistry::InstallImageDecoders() { return 0; }
int ComponentRegistry::RemoveImageDecoders() { return 1; }
int ComponentRegistry::InstallSpellCheck() { return 0; }
int ComponentRegistry::RemoveSpellCheck() { return 1; }
int ComponentRegistry::InstallBrowserPlugin() { return 0; }
int ComponentRegistry::RemoveBrowserPlugin(int /*runUninstaller*/) { return 1; }
int ComponentRegistry::InstallOnDemandPlugin() { return 0; }
int ComponentRegistry::RemoveOnDemandPlugin() { return 1; }
int ComponentRegistry::InstallStamps() { return 0; }
int ComponentRegistry::RemoveStamps() { return 1; }
int ComponentRegistry::InstallLanguageFiles() { return 0; }
int ComponentRegistry::RemoveLanguageFiles() { return 1; }
int ComponentRegistry::InstallOcrAddon() { return 0; }
int ComponentRegistry::RemoveOcrAddon() { return 1; }

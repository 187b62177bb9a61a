#pragma once
// The add-on components with their "Updates List" records, the stamps, the language files and the OCR add-on,
// and the one table that the install, the removal of an earlier version and the components page read.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "core/install_context.h"
#include "framework/base/confined_folder.h"

struct AddOnComponent;

// Install routines return 1 or 0; a 0 is answered by the matching remove routine, which returns 1.
// Failed sub-steps go to the failure hook with a fixed English message and the component's name; without a
// hook they have no effect.
class ComponentRegistry {
 public:
  using FailureHook = std::function<void(const std::wstring& message, const std::wstring& component)>;

  ComponentRegistry();

  void SetProgress(InstallProgress* progress, int start, int end);
  void SetSourceFolder(const std::wstring& path);   // one trailing backslash is dropped
  void SetInstallFolder(const std::wstring& path);  // one trailing backslash is dropped
  void SetAllUsers(int allUsers);                   // kept for the caller: the records are always per user
  void SetSkinIndex(int skinIndex);                 // picks the stamp set and the language-file suffix
  // The folder that LangConfig.xml and "OCR Add-on" lie in, ending with a backslash after this call; the
  // running program's folder unless set.
  void SetSetupFolder(const std::wstring& path);
  void SetFailureHook(FailureHook hook);

  // Installs one row of kAddOnComponents, reporting its step on the bar; a failure is answered by the row's
  // removal, so nothing half-made stays. Returns what the install routine returned.
  int Install(const AddOnComponent& component);

  // The routines of the rows. Called on their own they report no progress.
  int InstallCjkSupport();
  int RemoveCjkSupport();
  int InstallImageDecoders();
  int RemoveImageDecoders();
  int InstallSpellCheck();
  int RemoveSpellCheck();
  int InstallBrowserPlugin();
  int RemoveBrowserPlugin(int runUninstaller);
  int InstallOnDemandPlugin();
  int RemoveOnDemandPlugin();
  int InstallStamps();
  int RemoveStamps();
  int InstallLanguageFiles();  // fills extraLanguages()
  int RemoveLanguageFiles();
  int InstallOcrAddon();
  int RemoveOcrAddon();

  // Runs the plug-in installer (install 1) or uninstaller (install 0); 1 for success.
  int RunPluginInstaller(int install);

  const std::vector<std::wstring>& extraLanguages() const { return extraLanguages_; }

 private:
  // Components 1 and 2: one file straight into the install folder.
  struct SingleFile {
    const wchar_t* name;
    const wchar_t* version;
    const wchar_t* file;
    const wchar_t* nameFailure;  // the two differ in case
  };
  static const SingleFile kCjkSupport;
  static const SingleFile kImageDecoders;

  int InstallSingleFile(const SingleFile& component);
  void RemoveSingleFile(const SingleFile& component);
  int WriteValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName, const std::wstring& text);
  int DeleteRecord(HKEY root, const std::wstring& keyPath);
  // Writes one value of a component's record, reporting `failure` when it can't.
  void Record(const wchar_t* component, const std::wstring& valueName, const std::wstring& text,
              const std::wstring& failure);
  // Folder under the install folder, created when missing; false (after reporting, when `failure` is given) when
  // it can't be or is a link. Every entry below the install folder is reached through installed_, never through
  // a link.
  bool EnsureFolder(const wchar_t* relative, const wchar_t* failure, const wchar_t* component);
  // Copies a source file over install folder + relative, reporting `failure` when it can't.
  bool CopyIn(const std::wstring& from, const std::wstring& relative, const std::wstring& failure,
              const wchar_t* component);
  // Deletes install folder + relative, reporting `failure` when it can't.
  void DeleteIn(const std::wstring& relative, const std::wstring& failure, const wchar_t* component);
  void RemoveFolderIn(const std::wstring& relative, const std::wstring& failure, const wchar_t* component);
  // The bar to the end of the step of the row being installed; a routine with nothing to install takes none.
  void StepDone() const;
  void ReportFailure(const std::wstring& message, const std::wstring& component) const;

  std::wstring Source(const std::wstring& name) const { return sourceFolder_ + L"\\" + name; }
  std::wstring Installed(const std::wstring& relative) const { return installFolder_ + relative; }

  std::wstring sourceFolder_;
  std::wstring installFolder_;
  ConfinedFolder installed_;
  std::wstring setupFolder_;
  int allUsers_ = 0;
  int skinIndex_ = 0;
  ProgressRange range_;
  int step_ = 0;  // the row being installed: its step from 1; 0 outside Install
  FailureHook failureHook_;
  std::vector<std::wstring> extraLanguages_;
};

// One add-on component: what the components page calls it and how it goes in and out. The install takes the
// rows in order, and the removal of an earlier version too; the bar's step of each follows from its place.
struct AddOnComponent {
  const wchar_t* pageName;  // null where the components page does not list it
  int (ComponentRegistry::*install)();
  // `pluginUninstallerRuns` in the removal of an earlier version; after a failed install the plug-in's own
  // uninstaller would find nothing to take away.
  int (*remove)(ComponentRegistry& components, bool pluginUninstallerRuns);
  // Null: one of the steps that share the components' part of the bar. Otherwise installed under a stage text
  // of its own and outside those steps.
  const wchar_t* ownStage;
};

inline constexpr AddOnComponent kAddOnComponents[] = {
    {L"Eastern Asian Language Support", &ComponentRegistry::InstallCjkSupport,
     [](ComponentRegistry& c, bool) { return c.RemoveCjkSupport(); }, nullptr},
    {L"JPEG2000 and JBIG2 Image Decoders", &ComponentRegistry::InstallImageDecoders,
     [](ComponentRegistry& c, bool) { return c.RemoveImageDecoders(); }, nullptr},
    {L"Kelto Spell Check Language", &ComponentRegistry::InstallSpellCheck,
     [](ComponentRegistry& c, bool) { return c.RemoveSpellCheck(); }, nullptr},
    {L"firefox plugin", &ComponentRegistry::InstallBrowserPlugin,
     [](ComponentRegistry& c, bool pluginUninstallerRuns) {
       return c.RemoveBrowserPlugin(pluginUninstallerRuns ? 1 : 0);
     },
     nullptr},
    {L"RiRovozeVA", &ComponentRegistry::InstallOnDemandPlugin,
     [](ComponentRegistry& c, bool) { return c.RemoveOnDemandPlugin(); }, nullptr},
    {nullptr, &ComponentRegistry::InstallStamps, [](ComponentRegistry& c, bool) { return c.RemoveStamps(); }, nullptr},
    {nullptr, &ComponentRegistry::InstallLanguageFiles,
     [](ComponentRegistry& c, bool) { return c.RemoveLanguageFiles(); }, nullptr},
    // Not in the package but in a folder beside the setup.
    {nullptr, &ComponentRegistry::InstallOcrAddon, [](ComponentRegistry& c, bool) { return c.RemoveOcrAddon(); },
     L"Setup OCR Add-on"},
};

// How many steps share the components' part of the bar.
inline constexpr int kAddOnSteps = [] {
  int steps = 0;
  for (const AddOnComponent& component : kAddOnComponents) steps += component.ownStage ? 0 : 1;
  return steps;
}();

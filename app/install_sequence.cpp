#include "app/install_sequence.h"

#include <cwctype>

#include "core/install_paths.h"
#include "core/page_result.h"
#include "core/text_ids.h"
#include "engine/extract_package.h"
#include "engine/file_copy.h"
#include "integration/component_registry.h"
#include "integration/virtual_printer.h"
#include "engine/product_records.h"
#include "engine/shortcuts.h"
#include "framework/base/delete_tree.h"
#include "framework/base/path_text.h"

namespace {

class Stages {
 public:
  explicit Stages(InstallProgress& progress) : progress_(progress) {}
  void SetProgress(int position) { progress_.SetPosition(position); }
  // Stage names are fixed English texts; only the messages are localized.
  void ShowStage(const wchar_t* stage) { progress_.SetStatus(std::wstring(L"Please wait while ") + stage); }

 private:
  InstallProgress& progress_;
};

// Ends the sequence early, on the Interrupted page: no records, no links, and what was unpacked deleted.
void StopBeforeAnythingElse(SetupOptions& options, UniqueHandle& extractionHold, InstallProgress& progress) {
  deleteTree(options.extractionFolder, std::move(extractionHold));
  options.extractionFolder.clear();
  progress.Finish(kResultCancel);
}

}  // namespace

bool IsFixedDriveDesignator(const std::wstring& folder) {
  if (folder.size() != 2 || folder[1] != L':') return false;
  const DWORD drives = ::GetLogicalDrives();
  const wchar_t letter = static_cast<wchar_t>(std::towlower(folder[0]));
  if (letter < L'a' || letter > L'z' || !(drives & (1u << (letter - L'a')))) return false;
  const wchar_t root[] = {letter, L':', L'\\', 0};
  return ::GetDriveTypeW(root) == DRIVE_FIXED;
}

std::wstring PrepareInstallFolder(std::wstring& installFolder) {
  const bool bareDrive = IsFixedDriveDesignator(installFolder);
  const std::wstring made = bareDrive ? std::wstring() : EnsureFolder(WithTrailingBackslash(installFolder));
  installFolder = WithoutTrailingBackslash(installFolder);
  return made;
}

void RunInstallSequence(InstallContext& context, InstallProgress& progress, UniqueHandle& extractionHold,
                        const ExtractStep& extract) {
  SetupOptions& options = context.options;
  Stages stages(progress);

  stages.SetProgress(5);
  stages.ShowStage(L"decompressing files");
  const int unpacked = extract ? extract(options.extractionFolder, extractionHold)
                               : ExtractPackage(options.extractionFolder, extractionHold);
  if (unpacked != kPackageOk) {
    // Every later step would take its files from an empty or partial folder, or from the drive's root.
    context.prompt.Ask(kTextPackageNotUnpacked, MB_OK | MB_ICONERROR, PromptCaption::Wizard, std::to_wstring(unpacked));
    // Folders the destination page made for this run go again.
    TakeBackInstallFolders(options);
    StopBeforeAnythingElse(options, extractionHold, progress);
    return;
  }
  stages.SetProgress(15);

  NoteCreatedFolder(options.createdFolder, PrepareInstallFolder(options.installFolder));
  options.extractionFolder = WithoutTrailingBackslash(options.extractionFolder);
  stages.ShowStage(L"Copying Files");
  if (!CopyProductFiles(context)) {
    // The copy has said which file and taken back what it made; a product without its own files must not be
    // recorded as installed.
    StopBeforeAnythingElse(options, extractionHold, progress);
    return;
  }
  stages.SetProgress(15);

  VirtualPrinterInstaller printer;
  printer.InitForInstall(
      {options.extractionFolder, options.installFolder, options.isWow64, options.isAdmin, &context.prompt});
  printer.SetProgress(&progress, 15, 40);
  stages.ShowStage(L"Setup Creator");
  printer.Install();

  ComponentRegistry components;
  components.SetProgress(&progress, 40, 70);
  components.SetSourceFolder(options.extractionFolder);
  components.SetInstallFolder(options.installFolder);
  components.SetAllUsers(options.allUsers);
  components.SetSkinIndex(options.SkinIndex);
  stages.ShowStage(L"Copying Files");
  for (const AddOnComponent& component : kAddOnComponents) {
    if (component.ownStage) stages.ShowStage(component.ownStage);
    components.Install(component);
  }

  stages.SetProgress(80);
  RemoveOldShortcuts(context);
  stages.SetProgress(84);
  if (options.startMenuIcon) {
    stages.ShowStage(L"Creating StartMenuShortCut");
    CreateStartMenuShortcuts(context);
  }
  stages.SetProgress(88);
  if (options.desktopShortcut) {
    stages.ShowStage(L"Creating DesktopShortCut");
    CreateDesktopShortcut(context);
  }
  stages.SetProgress(92);
  if (options.quickLaunchIcon) {
    stages.ShowStage(L"Creating QuicklaunchShortCut");
    CreateQuickLaunchShortcut(context);
  }
  stages.ShowStage(L"Writing Register");
  WriteProductRecords(options, context.text);
  stages.SetProgress(96);
  stages.SetProgress(100);

  progress.Finish(kResultFinish);
}

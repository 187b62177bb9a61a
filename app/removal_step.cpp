// The removal of an earlier installation between the existing-version page and the licence page; the
// follow-up actions of Finish and the clean-up at the end.
#include <cstring>

#include "app/finish_actions.h"
#include "app/setup_session.h"
#include "framework/base/delete_tree.h"
#include "framework/ui/message_prompter.h"
#include "removal/previous_version_remover.h"
#include "ui/pages/removal_dialogs.h"

namespace {

// The setup's one line of output; it has no console of its own, so whoever started it may have given one.
void WriteStandardOutput(const char* line) {
  HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(out, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
}

}  // namespace

// Runs one removal with the setup's own boxes and windows.
template <typename Step>
auto SetupSession::WithRemover(Step step) {
  const TextLookup text = [this](unsigned id) { return Text(id); };
  MessageBoxPrompter prompt(text, nullptr);
  RemovalWindowsUi windows(options.SkinIndex, text);
  PreviousVersionRemover remover(options, prompt, windows);
  return step(remover);
}

void SetupSession::RemoveInstallerPackage() {
  WithRemover([](PreviousVersionRemover& remover) { remover.RemoveInstallerPackage(); });
}

PipeRemovalResult SetupSession::RemoveViaPipe() {
  const PipeRemovalResult result = WithRemover([](PreviousVersionRemover& remover) { return remover.RemoveViaPipe(); });
  if (result == PipeRemovalResult::PipeFailed) WriteStandardOutput("CreatePipe failed\n");
  return result;
}

bool SetupSession::RemoveBuiltIn() {
  return WithRemover([](PreviousVersionRemover& remover) { return remover.RemoveBuiltIn(); });
}

void SetupSession::RunFinishActions() {
  FinishSteps steps;
  ::RunFinishActions(options, steps);
}

void SetupSession::DeleteExtractionFolder() { deleteTree(options.extractionFolder, std::move(extractionHold_)); }

// The removal of an earlier installation between the existing-version page and the licence page; the
// follow-up actions of Finish and the clean-up at the end.
#include <cstring>

#include "app/finish_actions.h"
#include "app/setup_session.h"
#include "removal/delete_tree.h"
#include "removal/previous_version_remover.h"

namespace {

// The setup's one line of output; it has no console of its own, so whoever started it may have given one.
void WriteStandardOutput(const char* line) {
  HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(out, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
}

}  // namespace

void SetupSession::RemoveInstallerPackage() {
  PreviousVersionRemover(options, [this](unsigned id) { return Text(id); }).RemoveInstallerPackage();
}

PipeRemovalResult SetupSession::RemoveViaPipe() {
  const PipeRemovalResult result =
      PreviousVersionRemover(options, [this](unsigned id) { return Text(id); }).RemoveViaPipe();
  if (result == PipeRemovalResult::PipeFailed) WriteStandardOutput("CreatePipe failed\n");
  return result;
}

bool SetupSession::RemoveBuiltIn() {
  return PreviousVersionRemover(options, [this](unsigned id) { return Text(id); }).RemoveBuiltIn();
}

void SetupSession::RunFinishActions() {
  FinishSteps steps;
  ::RunFinishActions(options, steps);
}

void SetupSession::DeleteExtractionFolder() { deleteTree(options.extractionFolder); }

// Removal and finish steps not yet carried out: each reports the outcome of a clean run.
#include "app/setup_session.h"

void SetupSession::RemoveInstallerPackage() {}
PipeRemovalResult SetupSession::RemoveViaPipe() { return PipeRemovalResult::Completed; }
bool SetupSession::RemoveBuiltIn() { return true; }
void SetupSession::RunFinishActions() {}
void SetupSession::DeleteExtractionFolder() {}

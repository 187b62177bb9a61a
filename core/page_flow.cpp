#include "core/page_flow.h"

#include "core/page_result.h"
#include "resources/ids.h"

const char* PageStateName(PageState state) {
  switch (state) {
    case PageState::Welcome: return "Welcome";
    case PageState::Existing: return "Existing";
    case PageState::Licence: return "Licence";
    case PageState::Type: return "Type";
    case PageState::Components: return "Components";
    case PageState::Destination: return "Destination";
    case PageState::Desktop: return "Desktop";
    case PageState::Summary: return "Summary";
    case PageState::Progress: return "Progress";
    case PageState::Finish: return "Finish";
    case PageState::Interrupted: return "Interrupted";
    case PageState::End: return "End";
  }
  return "?";
}

int PageDialogId(PageState state) {
  switch (state) {
    case PageState::Welcome: return IDD_WELCOME;
    case PageState::Existing: return IDD_EXISTING;
    case PageState::Licence: return IDD_LICENCE;
    case PageState::Type: return IDD_TYPE;
    case PageState::Components: return IDD_COMPONENTS;
    case PageState::Destination: return IDD_DESTINATION;
    case PageState::Desktop: return IDD_DESKTOP;
    case PageState::Summary: return IDD_SUMMARY;
    case PageState::Progress: return IDD_PROGRESS;
    case PageState::Finish: return IDD_FINISH;
    case PageState::Interrupted: return IDD_INTERRUPTED;
    case PageState::End: return 0;
  }
  return 0;
}

namespace {

void ForgetPreviousInstallation(FlowFields& fields) {
  fields.existingState = 0;
  fields.uninstallViaPipe = 0;
}

PageState LeaveExisting(FlowFields& fields, FlowActions& actions) {
  if (fields.msiProductInstalled) {
    // The installer service removes its own package; the record it leaves is not re-read, so
    // existingState stays and the install goes into the folder detection found.
    fields.msiProductInstalled = false;
    actions.RemoveInstallerPackage();
    return PageState::Licence;
  }
  if (fields.uninstallViaPipe == 1) {
    switch (actions.RemoveViaPipe()) {
      case PipeRemovalResult::PipeFailed: return PageState::End;
      case PipeRemovalResult::Completed:
        ForgetPreviousInstallation(fields);
        return PageState::Licence;
      case PipeRemovalResult::Failed: return PageState::Interrupted;
    }
    return PageState::Interrupted;
  }
  if (!actions.RemoveBuiltIn()) return PageState::Interrupted;
  ForgetPreviousInstallation(fields);
  return PageState::Licence;
}

}  // namespace

PageState NextPage(PageState state, int code, FlowFields& fields, FlowActions& actions) {
  const bool existing = fields.existingState > 0;
  if (code == kResultCancel && state != PageState::Progress && state != PageState::Finish &&
      state != PageState::Interrupted && state != PageState::End) {
    return PageState::Interrupted;
  }
  switch (state) {
    case PageState::Welcome:
      if (code == kResultNext) return existing ? PageState::Existing : PageState::Licence;
      return PageState::Existing;
    case PageState::Existing:
      if (code == kResultBack) return PageState::Welcome;
      if (code == kResultNext) return LeaveExisting(fields, actions);
      return PageState::Licence;
    case PageState::Licence:
      if (code == kResultBack) return existing ? PageState::Existing : PageState::Welcome;
      if (code == kResultNext) return existing ? PageState::Summary : PageState::Type;
      return PageState::Type;
    case PageState::Type:
      if (code == kResultDefault) {
        fields.defaultInstall = 1;
        return PageState::Desktop;
      }
      if (code == kResultCustom) {
        fields.defaultInstall = 0;
        return PageState::Destination;
      }
      if (code == kResultBack) return PageState::Licence;
      return PageState::Components;
    case PageState::Components:
      if (code == kResultBack) return PageState::Type;
      return PageState::Destination;
    case PageState::Destination:
      if (code == kResultBack) return PageState::Type;
      return PageState::Desktop;
    case PageState::Desktop:
      if (code == kResultBack) return fields.defaultInstall == 1 ? PageState::Type : PageState::Destination;
      return PageState::Summary;
    case PageState::Summary:
      if (code == kResultBack) return existing ? PageState::Licence : PageState::Desktop;
      return PageState::Progress;
    case PageState::Progress:
      // Cancel: the package could not be unpacked or a product file not copied; no records were written.
      return code == kResultCancel ? PageState::Interrupted : PageState::Finish;
    case PageState::Finish:
      if (code == kResultFinish) {
        actions.RunFinishActions();
        actions.DeleteExtractionFolder();
        return PageState::End;
      }
      return PageState::Interrupted;
    case PageState::Interrupted:
      if (code == kResultFinish) actions.DeleteExtractionFolder();
      return PageState::End;
    case PageState::End:
      return PageState::End;
  }
  return PageState::End;
}

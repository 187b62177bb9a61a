#include "core/page_flow.h"

#include <cstddef>

#include "core/page_result.h"

const char* PageStateName(PageState state) {
  static constexpr const char* kNames[] = {"Welcome", "Existing", "Licence",  "Type",   "Components",  "Destination",
                                           "Desktop", "Summary",  "Progress", "Finish", "Interrupted", "End"};
  static_assert(sizeof(kNames) / sizeof(kNames[0]) == kPageStateCount, "one name per page state");
  const auto index = static_cast<size_t>(state);
  return index < kPageStateCount ? kNames[index] : "?";
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
      case PipeRemovalResult::Completed: ForgetPreviousInstallation(fields); return PageState::Licence;
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
    case PageState::End: return PageState::End;
  }
  return PageState::End;
}

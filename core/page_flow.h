#pragma once
// The wizard's page loop as a pure state machine: which page follows which, and what runs in between.

enum class PageState {
  Welcome,
  Existing,
  Licence,
  Type,
  Components,
  Destination,
  Desktop,
  Summary,
  Progress,
  Finish,
  Interrupted,
  End,
};
inline constexpr unsigned kPageStateCount = static_cast<unsigned>(PageState::End) + 1;

const char* PageStateName(PageState state);

// Session fields the loop reads and writes.
struct FlowFields {
  int existingState = 0;
  int uninstallViaPipe = 0;
  int defaultInstall = 1;
  bool msiProductInstalled = false;  // consumed once by the first removal from the Existing page
};

enum class PipeRemovalResult {
  PipeFailed,  // the named pipe could not be created: the setup ends at once
  Completed,
  Failed,  // reported failure, or the uninstaller went away without completing
};

// What the loop runs between pages. The real implementation removes software and touches the disk;
// tests record the calls.
class FlowActions {
 public:
  virtual ~FlowActions() = default;
  virtual void RemoveInstallerPackage() = 0;  // waits for the installer service
  virtual PipeRemovalResult RemoveViaPipe() = 0;
  virtual bool RemoveBuiltIn() = 0;  // false: preparation refused (program in use)
  virtual void RunFinishActions() = 0;
  virtual void DeleteExtractionFolder() = 0;
};

// One step of the loop: `code` is what the page of `state` ended with.
PageState NextPage(PageState state, int code, FlowFields& fields, FlowActions& actions);

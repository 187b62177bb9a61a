#include "core/page_flow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/page_result.h"

namespace {

using S = PageState;

struct RecordingActions : FlowActions {
  std::vector<std::string> calls;
  PipeRemovalResult pipeResult = PipeRemovalResult::Completed;
  bool builtInResult = true;
  void RemoveInstallerPackage() override { calls.push_back("msi"); }
  PipeRemovalResult RemoveViaPipe() override {
    calls.push_back("pipe");
    return pipeResult;
  }
  bool RemoveBuiltIn() override {
    calls.push_back("builtin");
    return builtInResult;
  }
  void RunFinishActions() override { calls.push_back("finish"); }
  void DeleteExtractionFolder() override { calls.push_back("delete"); }
};

constexpr int kOther = 4242;  // a code no row names, e.g. a page that could not be shown

struct Row {
  S from;
  int code;
  int existingState;
  int defaultInstall;
  S to;
};

// Rows whose outcome depends only on the code and the two fields, with no action run.
const Row kPlainRows[] = {
    {S::Welcome, kResultNext, 1, 1, S::Existing},
    {S::Welcome, kResultNext, 0, 1, S::Licence},
    {S::Welcome, kResultNext, -1, 1, S::Licence},
    {S::Welcome, kResultCancel, 0, 1, S::Interrupted},
    {S::Welcome, kOther, 0, 1, S::Existing},
    {S::Welcome, kResultBack, 0, 1, S::Existing},
    {S::Existing, kResultBack, 2, 1, S::Welcome},
    {S::Existing, kResultCancel, 2, 1, S::Interrupted},
    {S::Existing, kOther, 2, 1, S::Licence},
    {S::Licence, kResultBack, 3, 1, S::Existing},
    {S::Licence, kResultBack, 0, 1, S::Welcome},
    {S::Licence, kResultNext, 3, 1, S::Summary},
    {S::Licence, kResultNext, 0, 1, S::Type},
    {S::Licence, kResultCancel, 0, 1, S::Interrupted},
    {S::Licence, kOther, 0, 1, S::Type},
    {S::Type, kResultBack, 0, 1, S::Licence},
    {S::Type, kResultCancel, 0, 1, S::Interrupted},
    {S::Type, kOther, 0, 1, S::Components},
    {S::Type, kResultNext, 0, 1, S::Components},
    {S::Components, kResultBack, 0, 1, S::Type},
    {S::Components, kResultNext, 0, 1, S::Destination},
    {S::Components, kResultCancel, 0, 1, S::Interrupted},
    {S::Components, kOther, 0, 1, S::Destination},
    {S::Destination, kResultBack, 0, 0, S::Type},
    {S::Destination, kResultBack, 0, 1, S::Type},
    {S::Destination, kResultNext, 0, 0, S::Desktop},
    {S::Destination, kResultCancel, 0, 0, S::Interrupted},
    {S::Destination, kOther, 0, 0, S::Desktop},
    {S::Desktop, kResultBack, 0, 1, S::Type},
    {S::Desktop, kResultBack, 0, 0, S::Destination},
    {S::Desktop, kResultNext, 0, 0, S::Summary},
    {S::Desktop, kResultCancel, 0, 1, S::Interrupted},
    {S::Desktop, kOther, 0, 1, S::Summary},
    {S::Summary, kResultBack, 1, 1, S::Licence},
    {S::Summary, kResultBack, 0, 1, S::Desktop},
    {S::Summary, kResultInstall, 0, 1, S::Progress},
    {S::Summary, kResultCancel, 0, 1, S::Interrupted},
    {S::Summary, kOther, 0, 1, S::Progress},
    {S::Progress, kResultFinish, 0, 1, S::Finish},
    {S::Progress, kResultCancel, 0, 1, S::Interrupted},  // not unpacked, or a product file not copied
    {S::Progress, kOther, 0, 1, S::Finish},
    {S::Finish, kResultCancel, 0, 1, S::Interrupted},
    {S::Finish, kOther, 0, 1, S::Interrupted},
    {S::Interrupted, kResultCancel, 0, 1, S::End},
    {S::Interrupted, kOther, 0, 1, S::End},
};

TEST(PageFlow, PlainRowsFollowTheTableWithoutSideEffects) {
  for (const Row& row : kPlainRows) {
    FlowFields fields;
    fields.existingState = row.existingState;
    fields.defaultInstall = row.defaultInstall;
    fields.msiProductInstalled = true;  // must survive every row that is not a removal
    RecordingActions actions;
    S to = NextPage(row.from, row.code, fields, actions);
    SCOPED_TRACE(std::string(PageStateName(row.from)) + " code " + std::to_string(row.code));
    EXPECT_EQ(to, row.to) << "got " << PageStateName(to);
    EXPECT_TRUE(actions.calls.empty());
    EXPECT_EQ(fields.existingState, row.existingState);
    EXPECT_EQ(fields.defaultInstall, row.defaultInstall);
    EXPECT_TRUE(fields.msiProductInstalled);
  }
}

TEST(PageFlow, TypeButtonsSetDefaultInstall) {
  FlowFields fields;
  RecordingActions actions;
  fields.defaultInstall = 1;
  EXPECT_EQ(NextPage(S::Type, kResultCustom, fields, actions), S::Destination);
  EXPECT_EQ(fields.defaultInstall, 0);
  EXPECT_EQ(NextPage(S::Desktop, kResultBack, fields, actions), S::Destination);
  EXPECT_EQ(NextPage(S::Type, kResultDefault, fields, actions), S::Desktop);
  EXPECT_EQ(fields.defaultInstall, 1);
  EXPECT_EQ(NextPage(S::Desktop, kResultBack, fields, actions), S::Type);
  EXPECT_TRUE(actions.calls.empty());
}

TEST(PageFlow, FinishRunsActionsBeforeDeletingTheExtractionFolder) {
  FlowFields fields;
  RecordingActions actions;
  EXPECT_EQ(NextPage(S::Finish, kResultFinish, fields, actions), S::End);
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"finish", "delete"}));
}

TEST(PageFlow, InterruptedFinishOnlyDeletesTheExtractionFolder) {
  FlowFields fields;
  RecordingActions actions;
  EXPECT_EQ(NextPage(S::Interrupted, kResultFinish, fields, actions), S::End);
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"delete"}));
}

TEST(PageFlow, InstallerServiceRemovalRunsOnceAndKeepsExistingState) {
  FlowFields fields;
  fields.existingState = 1;
  fields.uninstallViaPipe = 1;
  fields.msiProductInstalled = true;
  RecordingActions actions;
  EXPECT_EQ(NextPage(S::Existing, kResultNext, fields, actions), S::Licence);
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"msi"}));
  EXPECT_FALSE(fields.msiProductInstalled);
  EXPECT_EQ(fields.existingState, 1);
  // Licence now leads straight to Summary, and Summary's Back returns to Licence.
  EXPECT_EQ(NextPage(S::Licence, kResultNext, fields, actions), S::Summary);
  EXPECT_EQ(NextPage(S::Summary, kResultBack, fields, actions), S::Licence);
  // A second visit of the Existing page uses the pipe removal instead.
  EXPECT_EQ(NextPage(S::Existing, kResultNext, fields, actions), S::Licence);
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"msi", "pipe"}));
  EXPECT_EQ(fields.existingState, 0);
  EXPECT_EQ(fields.uninstallViaPipe, 0);
}

TEST(PageFlow, PipeRemovalResults) {
  struct Case {
    PipeRemovalResult result;
    S to;
    int existingAfter;
  };
  const Case cases[] = {
      {PipeRemovalResult::Completed, S::Licence, 0},
      {PipeRemovalResult::Failed, S::Interrupted, 2},
      {PipeRemovalResult::PipeFailed, S::End, 2},
  };
  for (const Case& c : cases) {
    FlowFields fields;
    fields.existingState = 2;
    fields.uninstallViaPipe = 1;
    RecordingActions actions;
    actions.pipeResult = c.result;
    EXPECT_EQ(NextPage(S::Existing, kResultNext, fields, actions), c.to);
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"pipe"}));
    EXPECT_EQ(fields.existingState, c.existingAfter);
    EXPECT_EQ(fields.uninstallViaPipe, c.existingAfter ? 1 : 0);
  }
}

TEST(PageFlow, BuiltInRemovalResults) {
  FlowFields fields;
  fields.existingState = 3;
  RecordingActions actions;
  actions.builtInResult = false;
  EXPECT_EQ(NextPage(S::Existing, kResultNext, fields, actions), S::Interrupted);
  EXPECT_EQ(fields.existingState, 3);
  actions.builtInResult = true;
  EXPECT_EQ(NextPage(S::Existing, kResultNext, fields, actions), S::Licence);
  EXPECT_EQ(fields.existingState, 0);
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"builtin", "builtin"}));
  // After the removal the normal route follows.
  EXPECT_EQ(NextPage(S::Licence, kResultNext, fields, actions), S::Type);
}

TEST(PageFlow, InstallerFlagWithoutPreviousInstallationNeverRemoves) {
  FlowFields fields;
  fields.msiProductInstalled = true;
  RecordingActions actions;
  S state = S::Welcome;
  const int codes[] = {kResultNext,    kResultNext,   kResultDefault, kResultNext,
                       kResultInstall, kResultFinish, kResultFinish};
  std::vector<S> route{state};
  for (int code : codes) {
    state = NextPage(state, code, fields, actions);
    route.push_back(state);
  }
  EXPECT_EQ(route,
            (std::vector<S>{S::Welcome, S::Licence, S::Type, S::Desktop, S::Summary, S::Progress, S::Finish, S::End}));
  EXPECT_EQ(actions.calls, (std::vector<std::string>{"finish", "delete"}));
  EXPECT_TRUE(fields.msiProductInstalled);
}

}  // namespace

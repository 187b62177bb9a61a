// The setup's own answer to the steps' questions: a real message box, answered from a watcher thread. The steps
// themselves are tested with a recording prompter.
#include "framework/ui/message_prompter.h"

#include <gtest/gtest.h>

#include "install_test_helpers.h"

namespace {

using namespace install_test;

// The wizard's questions carry text 1 and are modal to the owner; the printer's carry its name and, like the
// spooler's own, have no owner. Texts come from the lookup, as a language file's would; the answer comes back.
TEST(MessageBoxPrompter, WizardAndPrinterQuestionsDifferInCaptionAndOwner) {
  HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  MessageBoxPrompter boxes([](unsigned id) { return L"text " + std::to_wstring(id); }, owner);
  Prompter& prompt = boxes;
  {
    MessageBoxAnswerer answerer;
    EXPECT_EQ(prompt.Ask(kTextCloseProgram, MB_ICONWARNING | MB_OK), IDOK);
    answerer.Stop();
    ASSERT_EQ(answerer.boxes().size(), 1u);
    EXPECT_EQ(answerer.boxes()[0].caption, L"text 1");
    EXPECT_EQ(answerer.boxes()[0].text, L"text 59");
    EXPECT_EQ(answerer.boxes()[0].owner, owner);
  }
  {
    MessageBoxAnswerer answerer({}, IDCANCEL);
    EXPECT_EQ(prompt.Ask(kTextCantDeletePrinter, MB_OKCANCEL, PromptCaption::Printer), IDCANCEL);
    answerer.Stop();
    ASSERT_EQ(answerer.boxes().size(), 1u);
    EXPECT_EQ(answerer.boxes()[0].caption, L"Kelto Quorbel Printer");
    EXPECT_EQ(answerer.boxes()[0].text, L"text 94");
    EXPECT_EQ(answerer.boxes()[0].owner, nullptr);
    EXPECT_TRUE(answerer.boxes()[0].hasCancel);
  }
  ::DestroyWindow(owner);
}

}  // namespace

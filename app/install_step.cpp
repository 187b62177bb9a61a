// The work behind the progress page.
#include "app/setup_session.h"
#include "app/install_sequence.h"
#include "framework/ui/message_prompter.h"

namespace {

class PageProgress final : public InstallProgress {
 public:
  explicit PageProgress(ProgressPage& page) : page_(page) {}
  // The sequence holds the thread, so nothing repaints unless asked: show each change at once.
  void SetPosition(int position) override {
    page_.SetPosition(position);
    ::UpdateWindow(page_.hwnd());
  }
  void SetStatus(const std::wstring& text) override {
    page_.SetStatus(text);
    ::UpdateWindow(page_.hwnd());
  }
  void Finish(int code) override { page_.EndWith(code); }

 private:
  ProgressPage& page_;
};

}  // namespace

void SetupSession::RunInstallSequence(ProgressPage& page) {
  PageProgress progress(page);
  const TextLookup text = [this](unsigned id) { return Text(id); };
  MessageBoxPrompter prompt(text, page.hwnd());
  InstallContext context{options, text, prompt};
  ::RunInstallSequence(context, progress, extractionHold_);
}

#pragma once
// Shared by the Windows unit tests: the program's built-in English texts and a prompter that records the
// questions the install and removal steps ask and answers them, so that no test needs a real message box.
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/install_context.h"
#include "core/product.h"
#include "core/text_ids.h"
#include "i18n/win_string_sources.h"

namespace test_support {

inline std::wstring BuiltinText(unsigned id) {
  const std::u16string text = LoadBuiltinString(id);
  return std::wstring(text.begin(), text.end());
}

inline TextLookup BuiltinTexts() {
  return [](unsigned id) { return BuiltinText(id); };
}

// One question as a step asked it, with the text and caption the setup's message box shows for it.
struct Prompt {
  unsigned textId = 0;
  unsigned style = 0;  // MB_* flags
  PromptCaption caption = PromptCaption::Wizard;
  std::wstring text;         // the text of textId
  std::wstring captionText;  // text 1, or the printer's name
};

// Records every question and answers it: OK by default, from a list, or from a callback that is given the
// question's number (from 1) and text ID and may act before it answers, as a user would (close the program the
// question is about, say). Texts are resolved through `text`, the built-in English ones unless a test gives its
// own (a language file's, say).
class RecordingPrompter final : public Prompter {
 public:
  using Answer = std::function<int(int n, unsigned textId)>;

  explicit RecordingPrompter(Answer answer = {}, TextLookup text = BuiltinTexts())
      : answer_(std::move(answer)), text_(std::move(text)) {}
  // The n-th question gets answers[n - 1]; once the list is used up, every question gets `then`.
  explicit RecordingPrompter(std::vector<int> answers, int then = IDOK, TextLookup text = BuiltinTexts())
      : answer_([answers = std::move(answers), then](int n, unsigned) {
          return n <= static_cast<int>(answers.size()) ? answers[n - 1] : then;
        }),
        text_(std::move(text)) {}

  int Ask(unsigned textId, unsigned style, PromptCaption caption = PromptCaption::Wizard,
          const std::wstring& argument = std::wstring()) override {
    prompts_.push_back({textId, style, caption, WithArgument(text_(textId), argument),
                        caption == PromptCaption::Printer ? std::wstring(kPrinterName) : text_(kTextCaption)});
    return answer_ ? answer_(static_cast<int>(prompts_.size()), textId) : IDOK;
  }

  const std::vector<Prompt>& prompts() const { return prompts_; }
  std::vector<unsigned> textIds() const {
    std::vector<unsigned> ids;
    for (const Prompt& prompt : prompts_) ids.push_back(prompt.textId);
    return ids;
  }
  std::vector<std::wstring> texts() const {
    std::vector<std::wstring> out;
    for (const Prompt& prompt : prompts_) out.push_back(prompt.text);
    return out;
  }

 private:
  Answer answer_;
  TextLookup text_;
  std::vector<Prompt> prompts_;
};

}  // namespace test_support

#pragma once
// How install, integration and removal steps ask the user: a text ID and a message-box style in, the answer
// out. The setup shows a message box; tests record the question and answer it.
#include <string>

enum class PromptCaption {
  Wizard,   // kTextCaption
  Printer,  // the printer's name, for the spooler's and the add-in's questions
};

class Prompter {
 public:
  virtual ~Prompter() = default;
  // `style` takes the message box's MB_* flags; the answer is its ID* code. `argument` takes the place of the
  // text's "%s", where it has one.
  virtual int Ask(unsigned textId, unsigned style, PromptCaption caption = PromptCaption::Wizard,
                  const std::wstring& argument = std::wstring()) = 0;
};

// `text` with its first "%s" replaced by `argument`.
inline std::wstring WithArgument(std::wstring text, const std::wstring& argument) {
  const size_t at = text.find(L"%s");
  if (at != std::wstring::npos) text.replace(at, 2, argument);
  return text;
}

#pragma once
// How install, integration and removal steps ask the user: a text ID and a message-box style in, the answer
// out. The setup shows a message box; tests record the question and answer it.

enum class PromptCaption {
  Wizard,   // text 1
  Printer,  // the printer's name, for the spooler's and the add-in's questions
};

class Prompter {
 public:
  virtual ~Prompter() = default;
  // `style` takes the message box's MB_* flags; the answer is its ID* code.
  virtual int Ask(unsigned textId, unsigned style, PromptCaption caption = PromptCaption::Wizard) = 0;
};

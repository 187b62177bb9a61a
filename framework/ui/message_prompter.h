#pragma once
// The setup's answer to a step's question: a message box with the localized text.
#include <windows.h>

#include <string>

#include "core/install_context.h"
#include "core/text_ids.h"
#include "framework/ui/dialog.h"

class MessageBoxPrompter final : public Prompter {
 public:
  // The wizard's questions are modal to `owner`; the printer's, like the spooler's own, to nothing.
  MessageBoxPrompter(TextLookup text, HWND owner) : text_(std::move(text)), owner_(owner) {}

  int Ask(unsigned textId, unsigned style, PromptCaption caption) override {
    if (caption == PromptCaption::Printer) return ShowMessage(nullptr, text_(textId), kPrinterName, style);
    return ShowMessage(owner_, text_(textId), text_(kTextCaption), style);
  }

 private:
  TextLookup text_;
  HWND owner_;
};

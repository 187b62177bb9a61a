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

  int Ask(unsigned textId, unsigned style, PromptCaption caption, const std::wstring& argument) override {
    const std::wstring text = WithArgument(text_(textId), argument);
    if (caption == PromptCaption::Printer) return ShowMessage(nullptr, text, kPrinterName, style);
    return ShowMessage(owner_, text, text_(kTextCaption), style);
  }

 private:
  TextLookup text_;
  HWND owner_;
};

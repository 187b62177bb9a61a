#pragma once
// What the install steps share: the options they read (and normalise), the localized texts, how they ask the
// user, and the progress display they report to.
#include <functional>
#include <string>

#include "core/prompt.h"
#include "core/setup_options.h"

// The localized text of an ID.
using TextLookup = std::function<std::wstring(unsigned id)>;

// The progress page as the steps see it: a bar from 0 to 100 and a status line.
class InstallProgress {
 public:
  virtual ~InstallProgress() = default;
  virtual void SetPosition(int position) = 0;
  virtual void SetStatus(const std::wstring& text) = 0;
  // Ends the page with a PageResult code.
  virtual void Finish(int code) = 0;
};

struct InstallContext {
  SetupOptions& options;
  TextLookup text;
  Prompter& prompt;
};

// Moves a progress display through [start, end] in `total` steps; the parts of the sequence that
// run their own stages (printer, components) report through one of these.
struct ProgressRange {
  InstallProgress* progress = nullptr;  // none: progress is not shown
  int start = 0;
  int end = 100;

  // start + n * (end - start) / total, product first, integer division.
  void Step(int n, int total) const {
    if (progress && total > 0) progress->SetPosition(start + n * (end - start) / total);
  }
};

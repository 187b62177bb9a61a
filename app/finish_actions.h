#pragma once
// What Finish does after a successful install, each step only when its check box was left on: the PDF
// association, the default printer, starting the product, opening the readme. Nothing is reported.
#include <string>

#include "core/setup_options.h"

class FinishSteps {
 public:
  virtual ~FinishSteps() = default;
  virtual void ClearForeignPdfAssociations(int isWow64);
  virtual void RegisterMainProgram(const std::wstring& installFolder);
  virtual void SetDefaultPrinter(const std::wstring& printerName);
  // Shell "open" of a file, shown normally, without waiting.
  virtual void Open(const std::wstring& path);
};

void RunFinishActions(const SetupOptions& options, FinishSteps& steps);

// installFolder + "\" + name in a 260-character buffer, as the shell gets it; a longer path is cut at the
// buffer's end rather than written past it (and then names no file).
std::wstring FinishPath(const std::wstring& installFolder, const wchar_t* name);

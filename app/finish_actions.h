#pragma once
// What Finish does after a successful install, each step only when its check box was left on: the PDF
// association, the default printer, starting the product, opening the readme. Nothing is reported. The setup
// runs elevated; the product and the readme are for the user, so they are opened with the user's rights.
#include <string>

#include "core/setup_options.h"

class FinishSteps {
 public:
  virtual ~FinishSteps() = default;
  virtual void ClearForeignPdfAssociations(int isWow64);
  virtual void RegisterMainProgram(const std::wstring& installFolder);
  virtual void SetDefaultPrinter(const std::wstring& printerName);
  // The product, started as the desktop user by the desktop shell, shown normally, without waiting; where no
  // desktop shell answers, by its full path in its own folder.
  virtual void StartProgram(const std::wstring& path);
  // A document opened as the desktop user by the desktop shell, without waiting; nothing where no shell answers
  // (opening it here would run the user's choice of program with the setup's rights).
  virtual void OpenDocument(const std::wstring& path);
};

void RunFinishActions(const SetupOptions& options, FinishSteps& steps);

// installFolder + "\" + name in a 260-character buffer, as the shell gets it; a longer path is cut at the
// buffer's end rather than written past it (and then names no file).
std::wstring FinishPath(const std::wstring& installFolder, const wchar_t* name);

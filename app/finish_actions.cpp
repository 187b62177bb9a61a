#include "app/finish_actions.h"

#include <windows.h>

#include <cwchar>

#include "engine/associations.h"
#include "framework/base/process_start.h"
#include "integration/default_printer.h"

void FinishSteps::ClearForeignPdfAssociations(int isWow64) { ::ClearForeignPdfAssociations(isWow64); }

void FinishSteps::RegisterMainProgram(const std::wstring& installFolder) { ::RegisterMainProgram(installFolder); }

void FinishSteps::SetDefaultPrinter(const std::wstring& printerName) { MakeDefaultPrinter(printerName); }

void FinishSteps::StartProgram(const std::wstring& path) {
  if (OpenAsDesktopUser(path, L"", FolderOfPath(path), SW_SHOW)) return;
  ::StartProgram(path, Quoted(path), SW_SHOW);
}

void FinishSteps::OpenDocument(const std::wstring& path) { OpenAsDesktopUser(path, L"", FolderOfPath(path), SW_SHOW); }

std::wstring FinishPath(const std::wstring& installFolder, const wchar_t* name) {
  wchar_t buffer[MAX_PATH];
  // The folder may already end with a backslash; the doubled one is accepted by the system.
  swprintf(buffer, MAX_PATH, L"%ls\\%ls", installFolder.c_str(), name);
  buffer[MAX_PATH - 1] = L'\0';
  return buffer;
}

void RunFinishActions(const SetupOptions& o, FinishSteps& steps) {
  if (o.setDefaultPdfHandler == 1) {
    steps.ClearForeignPdfAssociations(o.isWow64);
    steps.RegisterMainProgram(o.installFolder);
  }
  if (o.setDefaultPrinter == 1) steps.SetDefaultPrinter(kPrinterName);
  if (o.runProgram == 1) steps.StartProgram(FinishPath(o.installFolder, kMainProgram));
  if (o.viewReadme == 1) steps.OpenDocument(FinishPath(o.installFolder, L"Readme.txt"));
}

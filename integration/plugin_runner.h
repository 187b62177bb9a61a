#pragma once
// The browser plug-in's own installer and uninstaller: which program runs, with what command line, and what its
// exit code means for the component.
#include <windows.h>

#include <functional>
#include <string>

// Receives the fixed English text of an exit code that has one.
using PluginReport = std::function<void(const std::wstring& message)>;

// The parameters every run gets: " -p " + installFolder + "\plugins\".
std::wstring PluginParameters(const std::wstring& installFolder);

// Success for an exit code; `message` receives the code's text, or nullptr when it has none.
bool PluginExitSucceeded(DWORD exitCode, const wchar_t** message);

// install 1: sourceFolder\InPDFReaderPlugin.exe, else InstallPDFReaderPlugin.exe there. install 0:
// installFolder\UnPDFReaderPlugin.exe, else UninstallPDFReaderPlugin.exe there. Starts it, waits for it
// without a time-out and maps its exit code: 1 success, 0 failure. Neither program present, or a start that
// fails, is a failure; a start that succeeds without giving a process counts as success. Both folders have no
// trailing backslash.
int RunPluginProgram(int install, const std::wstring& sourceFolder, const std::wstring& installFolder,
                     const PluginReport& report);

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

// The command line a run gets: the quoted program, a blank, then the parameters, as the shell used to build it
// ("%1" %*) when it started the programs.
std::wstring PluginCommandLine(const std::wstring& program, const std::wstring& installFolder);

// Success for an exit code; `message` receives the code's text, or nullptr when it has none.
bool PluginExitSucceeded(DWORD exitCode, const wchar_t** message);

// install 1: sourceFolder\InPDFReaderPlugin.exe, else InstallPDFReaderPlugin.exe there. install 0:
// installFolder\UnPDFReaderPlugin.exe, else UninstallPDFReaderPlugin.exe there. Starts it by its full path in
// its own folder (it needs the setup's rights), waits for it without a time-out and maps its exit code:
// 1 success, 0 failure. Neither program present, or a start that fails, is a failure. Both folders have no
// trailing backslash.
int RunPluginProgram(int install, const std::wstring& sourceFolder, const std::wstring& installFolder,
                     const PluginReport& report);

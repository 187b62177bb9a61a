#pragma once
// How the setup starts other programs. It runs elevated, so what the user will use (the product, a document, a
// web page) is opened by the desktop shell, in the shell's own process and with the desktop user's rights, as a
// double click would open it. What needs the rights is started by its full path, never looked up on a search
// path and never through a class registration, in its own folder.
#include <windows.h>

#include <string>

// STARTUPINFO without a show command: the program shows its first window as it chooses.
inline constexpr int kShowAsItChooses = -1;

// The folder a full path names its file in, without a trailing backslash (a drive's root keeps its own), a
// doubled separator before the name included; empty when the path names no folder.
std::wstring FolderOfPath(const std::wstring& path);

// `path` in double quotes, as a command line names its program.
std::wstring Quoted(const std::wstring& path);

// Starts the program at the full path `program` with `commandLine` (which names the program first, quoted) in
// the program's own folder, without waiting; `show` is a SW_ value or kShowAsItChooses. False when it did not
// start (a path without a folder is refused, so nothing is ever looked up).
bool StartProgram(const std::wstring& program, const std::wstring& commandLine, int show);

// Starts it as above and waits for its end without a time limit. False when it did not start or its exit code
// could not be read.
bool RunProgramToEnd(const std::wstring& program, const std::wstring& commandLine, int show, DWORD* exitCode);

// Asks the desktop shell to open `file` (a program, a document or a web address) with the verb "open",
// `parameters` and the working folder `folder` (either may be empty), shown with `show`. The shell opens it
// in its own process, with the desktop user's rights and the user's own choices of program. False when no
// desktop shell answered: then nothing was opened, and the caller decides whether anything may be opened
// another way.
bool OpenAsDesktopUser(const std::wstring& file, const std::wstring& parameters, const std::wstring& folder, int show);

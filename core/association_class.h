#pragma once
// Class names that become the .pdf handler again when the built-in removal restores the former one. A name from
// the user's own hive is the user's programs' to choose: it must name a class that opens documents with a
// program, never one whose files run as programs or scripts (an elevated open of a .pdf would run it).
#include <string>
#include <vector>

// The extensions whose files run as programs or scripts, without the dot: exe, com, bat, cmd, pif, scr, hta, js,
// jse, vbs, vbe, wsf, wsh, ps1, msi, reg, lnk, url.
const std::vector<std::wstring>& ProgramExtensions();

// Whether `name` may name a document handler: not empty, and neither one of the program extensions (with or
// without its dot), nor one of their usual classes (exefile, htafile, JSFile, ...), nor one of `systemClasses`
// (the classes this system names for those extensions), compared without regard to case.
bool IsDocumentClass(const std::wstring& name, const std::vector<std::wstring>& systemClasses);

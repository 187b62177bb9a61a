/* Loads msi.dll the plain way, by name: what a program that never restricts its DLL search does. */
#include <windows.h>

int wmain(void) { return LoadLibraryW(L"msi.dll") ? 0 : 1; }

#pragma once
// The word-processor add-in "kpc_wordaddin.dll": copied into the install folder and registered through the
// library's own entry points. Installed as the last step of the virtual printer's install, removed by its
// removal.
#include <string>

#include "core/install_context.h"

// Copies sourceFolder\kpc_wordaddin.dll over installFolder\kpc_wordaddin.dll (folders without a trailing
// backslash) and calls its DllRegisterServer. While the destination is in use (sharing or lock violation,
// typically the word processor has the add-in loaded) kTextCloseWordProcessor asks the user to close it, with OK only,
// and the copy is tried again; any other copy failure (a missing source, say) ends at once without a box. 1 when the
// add-in is in place and registered, else 0. Without a prompter the in-use copy is not retried.
int InstallWordAddin(const std::wstring& sourceFolder, const std::wstring& installFolder, Prompter* prompt);

// Calls DllUnregisterServer of the add-in's file in folder (its result is ignored) and deletes the file.
// 1 when the file was deleted, else 0.
int RemoveWordAddin(const std::wstring& folder);

// Loads the library from its full path with OLE initialized around the call and calls DllRegisterServer
// (registering 1) or DllUnregisterServer (0). 1 when the entry is there and reported success, else 0.
int CallRegistrationEntry(const std::wstring& libraryPath, int registering);

#include "integration/word_addin.h"

#include <windows.h>
#include <ole2.h>

#include "core/text_ids.h"
#include "engine/product_files.h"
#include "framework/base/confined_folder.h"
#include "framework/base/handles.h"
#include "framework/base/system_library.h"

namespace {

// Only a destination someone holds open can start working after the user acts; retrying anything else
// would keep the user in a box that has no way out.
bool CopyMayWorkLater(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

using RegistrationEntry = HRESULT(STDAPICALLTYPE*)();

}  // namespace

int CallRegistrationEntry(const std::wstring& libraryPath, int registering) {
  if (FAILED(::OleInitialize(nullptr))) return 0;
  int result = 0;
  {
    UniqueModule library(LoadLibraryWithOwnFolder(libraryPath));
    if (library) {
      const auto entry = reinterpret_cast<RegistrationEntry>(reinterpret_cast<void*>(
          ::GetProcAddress(library.get(), registering ? "DllRegisterServer" : "DllUnregisterServer")));
      if (entry && SUCCEEDED(entry())) result = 1;
    }
  }
  ::OleUninitialize();
  return result;
}

int InstallWordAddin(const std::wstring& sourceFolder, const std::wstring& installFolder, Prompter* prompt) {
  const ProductFile& addin = ProductFileOf(FileStep::WordAddin);
  const std::wstring source = sourceFolder + L"\\" + addin.name;
  const ConfinedFolder installed(installFolder);
  const std::wstring destination = installed.PathOf(DestinationOf(addin));
  while (!installed.CopyOver(source, DestinationOf(addin))) {
    if (!CopyMayWorkLater(::GetLastError())) return 0;
    if (!prompt || prompt->Ask(kTextCloseWordProcessor, MB_OK, PromptCaption::Printer) != IDOK) return 0;
  }
  return CallRegistrationEntry(destination, 1);
}

int RemoveWordAddin(const std::wstring& folder) {
  const ConfinedFolder installed(folder);
  const std::wstring addin = DestinationOf(ProductFileOf(FileStep::WordAddin));
  CallRegistrationEntry(installed.PathOf(addin), 0);
  return installed.RemoveFile(addin) ? 1 : 0;
}

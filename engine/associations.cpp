#include "engine/associations.h"

#include <cwctype>

#include "core/product.h"
#include "framework/base/handles.h"
#include "framework/base/process_start.h"
#include "framework/base/registry.h"

namespace {

bool SameText(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
  }
  return true;
}

void DeleteValue(HKEY root, const std::wstring& key, const wchar_t* value) {
  UniqueKey opened;
  if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_ALL_ACCESS, opened.receive()) != ERROR_SUCCESS) return;
  ::RegDeleteValueW(opened.get(), value);
}

struct HandlerCheck {
  HKEY root;
  const wchar_t* key;
  const wchar_t* value;  // empty: the key's unnamed value
  const wchar_t* progId;
};

struct MimeCheck {
  HKEY root;
  const wchar_t* progIdClsidKey;
  const wchar_t* mimeKey;
};

}  // namespace

void ClearForeignPdfAssociations(int isWow64) {
  const bool view64 = isWow64 != 0;
  auto read = [view64](HKEY root, const std::wstring& key, const std::wstring& value) {
    return ReadRegistryString(root, key, value, L"", view64);
  };
  auto handler = [&](const HandlerCheck& c) {
    if (!SameText(read(c.root, c.key, c.value), c.progId)) DeleteValue(c.root, c.key, *c.value ? c.value : nullptr);
  };
  auto mime = [&](const MimeCheck& c) {
    if (!SameText(read(c.root, c.progIdClsidKey, L""), read(c.root, c.mimeKey, L"CLSID"))) {
      DeleteValue(c.root, c.mimeKey, L"CLSID");
    }
  };
  handler({HKEY_LOCAL_MACHINE, L"Software\\Classes\\.pdf", L"", kPdfProgId});
  handler({HKEY_LOCAL_MACHINE, L"Software\\Classes\\.fdf", L"", kFdfProgId});
  mime({HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\KeltoQuorbel.Document\\CLSID",
        L"SOFTWARE\\Classes\\MIME\\Database\\Content Type\\application/pdf"});
  mime({HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\KeltoQuorbel.FDFDoc\\CLSID",
        L"SOFTWARE\\Classes\\MIME\\Database\\Content Type\\application/vnd.fdf"});
  handler({HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.pdf\\UserChoice",
           L"Progid", kPdfProgId});
  handler({HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.fdf", L"Progid",
           kFdfProgId});
  handler({HKEY_CLASSES_ROOT, L".pdf", L"", kPdfProgId});
  handler({HKEY_CLASSES_ROOT, L".fdf", L"", kFdfProgId});
  mime({HKEY_CLASSES_ROOT, L"KeltoQuorbel.Document\\CLSID", L"Mime\\Database\\Content Type\\application/pdf"});
  mime({HKEY_CLASSES_ROOT, L"KeltoQuorbel.FDFDoc\\CLSID", L"Mime\\Database\\Content Type\\application/vnd.fdf"});
}

std::wstring RegisterCommandLine(const std::wstring& installFolder) {
  return Quoted(installFolder + kMainProgram) + L" /register";
}

void RegisterMainProgram(const std::wstring& installFolder) {
  // By its full path, in its own folder: the run writes machine-wide records and needs the setup's rights, so
  // nothing may stand in for the program. Its exit code means nothing.
  DWORD exitCode = 0;
  RunProgramToEnd(installFolder + kMainProgram, RegisterCommandLine(installFolder), kShowAsItChooses, &exitCode);
}

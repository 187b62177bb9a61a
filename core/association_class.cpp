#include "core/association_class.h"

#include <cwctype>

namespace {

std::wstring Lower(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return out;
}

// What the program extensions are registered as on the systems the setup runs on.
const std::vector<std::wstring>& UsualProgramClasses() {
  static const std::vector<std::wstring> classes = {
      L"exefile",     L"comfile",
      L"batfile",     L"cmdfile",
      L"piffile",     L"scrfile",
      L"htafile",     L"JSFile",
      L"JSEFile",     L"VBSFile",
      L"VBEFile",     L"WSFFile",
      L"WSHFile",     L"Microsoft.PowerShellScript.1",
      L"Msi.Package", L"regfile",
      L"lnkfile",     L"InternetShortcut",
  };
  return classes;
}

}  // namespace

const std::vector<std::wstring>& ProgramExtensions() {
  static const std::vector<std::wstring> extensions = {L"exe", L"com", L"bat", L"cmd", L"pif", L"scr",
                                                       L"hta", L"js",  L"jse", L"vbs", L"vbe", L"wsf",
                                                       L"wsh", L"ps1", L"msi", L"reg", L"lnk", L"url"};
  return extensions;
}

bool IsDocumentClass(const std::wstring& name, const std::vector<std::wstring>& systemClasses) {
  const std::wstring lower = Lower(name);
  if (lower.empty()) return false;
  const auto named = [&lower](const std::vector<std::wstring>& classes) {
    for (const std::wstring& programClass : classes) {
      if (!programClass.empty() && lower == Lower(programClass)) return true;
    }
    return false;
  };
  for (const std::wstring& extension : ProgramExtensions()) {
    if (lower == extension || (lower.size() == extension.size() + 1 && lower[0] == L'.' &&
                               lower.compare(1, std::wstring::npos, extension) == 0)) {
      return false;
    }
  }
  return !named(UsualProgramClasses()) && !named(systemClasses);
}

#include "integration/stamps_languages_ocr.h"

#include <windows.h>

#include <memory>

#include "engine/xml/xml_document.h"
#include "framework/base/file_access.h"
#include "framework/base/handles.h"
#include "framework/base/path_text.h"
#include "i18n/language_catalogue.h"
#include "integration/component_registry.h"
#include "framework/base/delete_tree.h"

namespace {

constexpr int kSteps = 7;

constexpr const wchar_t* kStandardStamps[] = {L"Approved.pdf",  L"Completed.pdf", L"Confidential.pdf", L"Draft.pdf",
                                              L"Emergency.pdf", L"Expired.pdf",   L"Final.pdf",        L"Received.pdf",
                                              L"Reviewed.pdf",  L"Revised.pdf",   L"Verified.pdf",     L"Void.pdf"};
constexpr const wchar_t* kSignHereStamps[] = {L"Accepted.pdf", L"Initial.pdf", L"Rejected.pdf", L"Sign Here.pdf",
                                              L"Witness.pdf"};
constexpr const wchar_t* kStandardStampsJapanese[] = {
    L"AtOnce.pdf",    L"Circulate.pdf",    L"Confidential.pdf", L"Draft.pdf",  L"ForPublic.pdf",
    L"Important.pdf", L"InternalOnly.pdf", L"Sample.pdf",       L"Secret.pdf", L"Special Secret.pdf"};
constexpr const wchar_t* kSignHereStampsJapanese[] = {L"Approval.pdf", L"Initial.pdf", L"Rejection.pdf",
                                                      L"Signhere.pdf", L"Witness.pdf"};

constexpr wchar_t kStamps[] = L"Stamps";
constexpr wchar_t kLanguage[] = L"language";
constexpr wchar_t kOcr[] = L"OCR";

constexpr wchar_t kOcrFolder[] = L"OCR Add-on\\";
constexpr wchar_t kOcrModule[] = L"KT_Abbyy_OCR.Dll";
constexpr wchar_t kUpdaterInfo[] = L"UpdaterInfo.xml";

// Decimal like atol: leading blanks, a sign, digits up to the first other character; 0 without digits.
long long DecimalOf(const std::u16string& text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == u' ' || text[at] == u'\t')) ++at;
  const bool negative = at < text.size() && text[at] == u'-';
  if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) ++at;
  long long value = 0;
  for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
    if (value < 1000000000LL) value = value * 10 + (text[at] - u'0');  // far outside the table already
  }
  return negative ? -value : value;
}

std::wstring LanguageOfId(const std::u16string& id) {
  return Wide(LanguageCatalogue::NameOfPosition(DecimalOf(id) - LanguageCatalogue::kFirstId));
}

}  // namespace

std::vector<std::wstring> LanguagesOfConfig(const std::string& bytes) {
  std::vector<std::wstring> names;
  const std::unique_ptr<XmlElement> root = XmlDocument::Parse(bytes);
  if (!root) return names;
  int type = 0;
  root->AttrInteger("LangType", type);
  if (type != 1 && type != 2) return names;
  const XmlElement* ids = root->FindElement("", "LangId", 0);
  const std::u16string value = ids ? ids->AttrValue("value") : std::u16string();
  if (type == 1) {
    names.push_back(LanguageOfId(value));
    return names;
  }
  size_t start = 0;
  for (;;) {
    const size_t comma = value.find(u',', start);
    const std::u16string id = value.substr(start, comma == std::u16string::npos ? comma : comma - start);
    if (!id.empty()) names.push_back(LanguageOfId(id));
    if (comma == std::u16string::npos) break;
    start = comma + 1;
  }
  return names;
}

// --- stamps ---

int ComponentRegistry::InstallStamps() {
  if (!EnsureFolder(L"\\Stamps", nullptr, kStamps)) {
    ReportFailure(L"Create Stamps directory failed!", kStamps);
    return 0;
  }
  if (!EnsureFolder(L"\\Stamps\\Standard Stamps", nullptr, kStamps) ||
      !EnsureFolder(L"\\Stamps\\Sign Here", nullptr, kStamps)) {
    ReportFailure(L"Create Stamps default directory failed!", kStamps);
    return 0;
  }
  const bool japanese = skinIndex_ == kJapanese;
  const auto copyAll = [&](const auto& list, const wchar_t* folder) {
    for (const wchar_t* name : list) {
      CopyIn(Source(name), folder + std::wstring(name), L"Copy stamps files failed!", kStamps);
    }
  };
  if (japanese) {
    copyAll(kStandardStampsJapanese, L"\\Stamps\\Standard Stamps\\");
    copyAll(kSignHereStampsJapanese, L"\\Stamps\\Sign Here\\");
  } else {
    copyAll(kStandardStamps, L"\\Stamps\\Standard Stamps\\");
    copyAll(kSignHereStamps, L"\\Stamps\\Sign Here\\");
  }
  Step(6, kSteps);
  return 1;
}

// Only the stamp documents go: a folder that still holds the user's own files stays.
int ComponentRegistry::RemoveStamps() {
  installed_.DeleteMatching(L"\\Stamps\\Standard Stamps\\*.pdf");
  installed_.DeleteMatching(L"\\Stamps\\Sign Here\\*.pdf");
  RemoveFolderIn(L"\\Stamps\\Standard Stamps", L"Delete stamps default directory failed!", kStamps);
  RemoveFolderIn(L"\\Stamps\\Sign Here", L"Delete stamps default directory failed!", kStamps);
  RemoveFolderIn(L"\\Stamps", L"Delete stamps directory failed!", kStamps);
  return 1;
}

// --- language files ---

int ComponentRegistry::InstallLanguageFiles() {
  if (skinIndex_ == 0) return 1;  // English needs none
  if (!EnsureFolder(L"\\lang", nullptr, kLanguage)) {
    ReportFailure(L"Create language directory failed!", kLanguage);
    return 0;
  }
  std::string config;
  const std::wstring configPath = setupFolder_ + L"LangConfig.xml";
  if (ReadWholeFile(Utf16(configPath), config)) {
    for (const std::wstring& name : LanguagesOfConfig(config)) extraLanguages_.push_back(name);
  }
  for (const std::wstring& name : extraLanguages_) {
    const std::wstring suffix = LanguageSuffix(name);
    const std::pair<std::wstring, const wchar_t*> files[] = {{L"kqmcreator_" + suffix, L"\\lang\\"},
                                                             {L"uninst_" + suffix, L"\\lang\\"},
                                                             {suffix, L"\\lang\\"},
                                                             {L"OnDemandPlugin" + suffix, L"\\plugins\\RiRovozeVA\\"}};
    for (const auto& [file, folder] : files) {
      CopyIn(Source(file), folder + file, L"Copy language files failed!", kLanguage);
    }
  }
  Step(7, kSteps);
  return 1;
}

int ComponentRegistry::RemoveLanguageFiles() {
  installed_.DeleteMatching(L"\\lang\\*.xml");
  installed_.DeleteMatching(L"\\plugins\\RiRovozeVA\\*.xml");
  RemoveFolderIn(L"\\lang", L"Delete language directory failed!", kLanguage);
  return 1;
}

// --- OCR add-on: not in the package but in a folder beside the setup ---

int ComponentRegistry::InstallOcrAddon() {
  if (!EnsureFolder(L"\\plugins", nullptr, kOcr) || !EnsureFolder(L"\\plugins\\OCR", nullptr, kOcr) ||
      !EnsureFolder(L"\\plugins\\OCR\\KT_Abbyy_OCR", nullptr, kOcr)) {
    return 0;
  }
  const std::wstring addon = setupFolder_ + kOcrFolder;
  if (!CopyIn(addon + kOcrModule, std::wstring(L"\\plugins\\OCR\\") + kOcrModule, L"", kOcr)) return 0;
  if (!CopyIn(addon + kUpdaterInfo, std::wstring(L"\\") + kUpdaterInfo, L"", kOcr)) return 0;
  WIN32_FIND_DATAW entry;
  UniqueFind find(::FindFirstFileW((addon + L"*.*").c_str(), &entry));
  if (!find) return 1;
  do {
    const std::wstring name = entry.cFileName;
    if (name.empty() || name == L"." || name == L".." || ::lstrcmpiW(name.c_str(), L"KT_Abbyy_OCR.dll") == 0 ||
        ::lstrcmpiW(name.c_str(), kUpdaterInfo) == 0) {
      continue;
    }
    if (!CopyIn(addon + name, L"\\plugins\\OCR\\KT_Abbyy_OCR\\" + name, L"", kOcr)) return 0;
  } while (::FindNextFileW(find.get(), &entry));
  return 1;
}

int ComponentRegistry::RemoveOcrAddon() {
  installed_.DeleteMatching(L"\\plugins\\OCR\\KT_Abbyy_OCR\\*.*");
  RemoveFolderIn(L"\\plugins\\OCR\\KT_Abbyy_OCR", L"Delete OCR directory failed!", kOcr);
  DeleteIn(L"\\plugins\\OCR\\KT_Abbyy_OCR.Dll", L"Delete KT_Abbyy_OCR.Dll directory failed!", kOcr);
  DeleteIn(L"\\UpdaterInfo.xml", L"Delete UpdaterInfo.xml failed!", kOcr);
  RemoveFolderIn(L"\\plugins\\OCR", L"Delete OCR directory failed!", kOcr);
  return 1;
}

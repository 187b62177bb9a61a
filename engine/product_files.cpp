#include "engine/product_files.h"

#include <cstdint>
#include <iterator>
#include <set>

#include "core/product.h"
#include "framework/base/path_text.h"
#include "i18n/language_catalogue.h"

namespace {

using S = FileStep;
using C = FileCase;

constexpr wchar_t kLex[] = L"lex\\";
constexpr wchar_t kOnDemand[] = L"plugins\\RiRovozeVA\\";
constexpr wchar_t kCurl[] = L"plugins\\RiRovozeVA\\curl\\";
constexpr wchar_t kStandard[] = L"Stamps\\Standard Stamps\\";
constexpr wchar_t kSignHere[] = L"Stamps\\Sign Here\\";
constexpr wchar_t kLang[] = L"lang\\";

const ProductFile kTable[] = {
    // The main program first: the copy waits for it alone while it runs.
    {kMainProgram, L"", nullptr, S::Copy, C::Always, true},
    {kUninstaller, L"", nullptr, S::Copy, C::Always, true},
    {L"config.xml", L"", nullptr, S::Copy, C::Always, false},
    {L"Readme.txt", L"", nullptr, S::Copy, C::WithoutLanguageDialog, false},
    {L"Readme_ENG.txt", L"", L"Readme.txt", S::Copy, C::EnglishFromDialog, false},
    {L"Readme_FR.txt", L"", L"Readme.txt", S::Copy, C::FrenchFromDialog, false},

    {L"kqmvpr_drv.dll", L"", nullptr, S::PrinterDriver, C::System32, false},
    {L"kqmvpr_drv64.dll", L"", L"kqmvpr_drv.dll", S::PrinterDriver, C::System64, false},
    {L"kqmvpr_pnt.txt", L"", nullptr, S::PrinterData, C::System32, false},
    {L"kqmvpr_pnt64.txt", L"", L"kqmvpr_pnt.txt", S::PrinterData, C::System64, false},
    {L"kqmvpr_ui.dll", L"", nullptr, S::PrinterConfig, C::System32, false},
    {L"kqmvpr_ui64.dll", L"", L"kqmvpr_ui.dll", S::PrinterConfig, C::System64, false},
    {L"KTC_ProxyProcess.exe", L"", nullptr, S::PrinterProxy, C::System32, false},
    {L"KTC_ProxyProcess64.exe", L"", L"KTC_ProxyProcess.exe", S::PrinterProxy, C::System64, false},
    {L"psapi.dll", L"", nullptr, S::PrinterProcessLibrary, C::Always, false},
    {L"framedyn.dll", L"", nullptr, S::PrinterWmiLibrary, C::Always, false},
    {L"kpc_wordaddin.dll", L"", nullptr, S::WordAddin, C::Always, false},

    {L"kpdfcjk.bin", L"", nullptr, S::CjkSupport, C::Always, false},
    {L"ktdecod1.dll", L"", nullptr, S::ImageDecoders, C::Always, false},
    // In the order their records number them.
    {L"accent.tlx", kLex, nullptr, S::SpellCheck, C::Always, false},
    {L"correct.tlx", kLex, nullptr, S::SpellCheck, C::Always, false},
    {L"ssceam.tlx", kLex, nullptr, S::SpellCheck, C::Always, false},
    {L"ssceam2.clx", kLex, nullptr, S::SpellCheck, C::Always, false},
    {L"sscebr.tlx", kLex, nullptr, S::SpellCheck, C::Always, false},
    {L"sscebr2.clx", kLex, nullptr, S::SpellCheck, C::Always, false},
    {L"ssceca.tlx", kLex, nullptr, S::SpellCheck, C::Always, false},
    {L"ssceca2.clx", kLex, nullptr, S::SpellCheck, C::Always, false},
    {L"tech.tlx", kLex, nullptr, S::SpellCheck, C::Always, false},
    {L"userdic.tlx", kLex, nullptr, S::SpellCheck, C::Always, false},
    {L"InPDFReaderPlugin.exe", L"", nullptr, S::BrowserPluginSetup, C::Always, false},
    {L"InstallPDFReaderPlugin.exe", L"", nullptr, S::BrowserPluginSetup, C::Always, false},
    {L"UnPDFReaderPlugin.exe", L"", nullptr, S::BrowserPlugin, C::Always, false},
    {L"OnDemandPlugin.dll", kOnDemand, nullptr, S::OnDemandPlugin, C::Always, false},
    {L"curl.exe", kCurl, nullptr, S::OnDemandDownloader, C::Always, false},
    {L"libcurl.dll", kCurl, nullptr, S::OnDemandDownloader, C::Always, false},
    {L"libeay32.dll", kCurl, nullptr, S::OnDemandDownloader, C::Always, false},
    {L"libssl32.dll", kCurl, nullptr, S::OnDemandDownloader, C::Always, false},

    {L"Approved.pdf", kStandard, nullptr, S::StandardStamps, C::NotJapanese, false},
    {L"Completed.pdf", kStandard, nullptr, S::StandardStamps, C::NotJapanese, false},
    {L"Confidential.pdf", kStandard, nullptr, S::StandardStamps, C::NotJapanese, false},
    {L"Draft.pdf", kStandard, nullptr, S::StandardStamps, C::NotJapanese, false},
    {L"Emergency.pdf", kStandard, nullptr, S::StandardStamps, C::NotJapanese, false},
    {L"Expired.pdf", kStandard, nullptr, S::StandardStamps, C::NotJapanese, false},
    {L"Final.pdf", kStandard, nullptr, S::StandardStamps, C::NotJapanese, false},
    {L"Received.pdf", kStandard, nullptr, S::StandardStamps, C::NotJapanese, false},
    {L"Reviewed.pdf", kStandard, nullptr, S::StandardStamps, C::NotJapanese, false},
    {L"Revised.pdf", kStandard, nullptr, S::StandardStamps, C::NotJapanese, false},
    {L"Verified.pdf", kStandard, nullptr, S::StandardStamps, C::NotJapanese, false},
    {L"Void.pdf", kStandard, nullptr, S::StandardStamps, C::NotJapanese, false},
    {L"Accepted.pdf", kSignHere, nullptr, S::SignHereStamps, C::NotJapanese, false},
    {L"Initial.pdf", kSignHere, nullptr, S::SignHereStamps, C::NotJapanese, false},
    {L"Rejected.pdf", kSignHere, nullptr, S::SignHereStamps, C::NotJapanese, false},
    {L"Sign Here.pdf", kSignHere, nullptr, S::SignHereStamps, C::NotJapanese, false},
    {L"Witness.pdf", kSignHere, nullptr, S::SignHereStamps, C::NotJapanese, false},
    {L"AtOnce.pdf", kStandard, nullptr, S::StandardStamps, C::Japanese, false},
    {L"Circulate.pdf", kStandard, nullptr, S::StandardStamps, C::Japanese, false},
    {L"Confidential.pdf", kStandard, nullptr, S::StandardStamps, C::Japanese, false},
    {L"Draft.pdf", kStandard, nullptr, S::StandardStamps, C::Japanese, false},
    {L"ForPublic.pdf", kStandard, nullptr, S::StandardStamps, C::Japanese, false},
    {L"Important.pdf", kStandard, nullptr, S::StandardStamps, C::Japanese, false},
    {L"InternalOnly.pdf", kStandard, nullptr, S::StandardStamps, C::Japanese, false},
    {L"Sample.pdf", kStandard, nullptr, S::StandardStamps, C::Japanese, false},
    {L"Secret.pdf", kStandard, nullptr, S::StandardStamps, C::Japanese, false},
    {L"Special Secret.pdf", kStandard, nullptr, S::StandardStamps, C::Japanese, false},
    {L"Approval.pdf", kSignHere, nullptr, S::SignHereStamps, C::Japanese, false},
    {L"Initial.pdf", kSignHere, nullptr, S::SignHereStamps, C::Japanese, false},
    {L"Rejection.pdf", kSignHere, nullptr, S::SignHereStamps, C::Japanese, false},
    {L"Signhere.pdf", kSignHere, nullptr, S::SignHereStamps, C::Japanese, false},
    {L"Witness.pdf", kSignHere, nullptr, S::SignHereStamps, C::Japanese, false},

    {L"kqmcreator_", kLang, nullptr, S::LanguageFiles, C::EachLanguage, false},
    {L"uninst_", kLang, nullptr, S::LanguageFiles, C::EachLanguage, false},
    {L"", kLang, nullptr, S::LanguageFiles, C::EachLanguage, false},
    {L"OnDemandPlugin", kOnDemand, nullptr, S::LanguageFiles, C::EachLanguage, false},
};

// Windows' own folding is wider, but every name the setup takes is ASCII.
template <typename Text>
std::string Folded(const Text& text) {
  std::string folded;
  for (const auto c : text) {
    const auto unit = static_cast<uint32_t>(c);
    folded += unit >= 'A' && unit <= 'Z' ? char(unit + 32) : unit < 0x80 ? char(unit) : '?';
  }
  return folded;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

ProductFileRange ProductFiles() { return {std::begin(kTable), std::end(kTable)}; }

std::vector<ProductFile> ProductFilesOf(FileStep step) {
  std::vector<ProductFile> rows;
  for (const ProductFile& row : kTable) {
    if (row.step == step) rows.push_back(row);
  }
  return rows;
}

std::vector<const wchar_t*> ProductFileNames(FileStep step, FileCase when) {
  std::vector<const wchar_t*> names;
  for (const ProductFile& row : kTable) {
    if (row.step == step && row.when == when) names.push_back(row.name);
  }
  return names;
}

const ProductFile& ProductFileOf(FileStep step, FileCase when) {
  for (const ProductFile& row : kTable) {
    if (row.step == step && row.when == when) return row;
  }
  return kTable[0];  // never reached for the steps that ask
}

std::wstring InstalledName(const ProductFile& row, const std::wstring& suffix) {
  return (row.installedAs ? row.installedAs : row.name) + suffix;
}

std::wstring DestinationOf(const ProductFile& row, const std::wstring& suffix) {
  return row.folder + InstalledName(row, suffix);
}

bool InstallsIntoInstallFolder(FileStep step) {
  switch (step) {
    case S::PrinterDriver:
    case S::PrinterData:
    case S::PrinterConfig:
    case S::PrinterProxy:
    case S::PrinterProcessLibrary:
    case S::PrinterWmiLibrary:
    case S::BrowserPluginSetup: return false;
    default: return true;
  }
}

std::wstring LanguageFileSuffix(const std::wstring& catalogueFile) {
  const size_t underscore = catalogueFile.find(L'_');
  return underscore == std::wstring::npos ? catalogueFile : catalogueFile.substr(underscore + 1);
}

std::vector<std::wstring> LanguageFileSuffixes() {
  std::vector<std::wstring> suffixes;
  for (int position = 0; position < LanguageCatalogue::kCount; ++position) {
    suffixes.push_back(LanguageFileSuffix(Wide(LanguageCatalogue::FileOfPosition(position))));
  }
  return suffixes;
}

std::vector<std::wstring> PackageNamesOf(const ProductFile& row) {
  if (row.when != C::EachLanguage) return {row.name};
  std::vector<std::wstring> names;
  for (const std::wstring& suffix : LanguageFileSuffixes()) names.push_back(row.name + suffix);
  return names;
}

std::vector<std::wstring> InstallFolderDestinations() {
  std::vector<std::wstring> destinations;
  std::set<std::string> seen;
  const std::vector<std::wstring> suffixes = LanguageFileSuffixes();
  const auto add = [&](const std::wstring& destination) {
    if (seen.insert(Folded(destination)).second) destinations.push_back(destination);
  };
  for (const ProductFile& row : kTable) {
    if (!InstallsIntoInstallFolder(row.step)) continue;
    if (row.when != C::EachLanguage) {
      add(DestinationOf(row));
      continue;
    }
    for (const std::wstring& suffix : suffixes) add(DestinationOf(row, suffix));
  }
  return destinations;
}

ProductFolderCheck CheckProductFolder(const std::vector<std::string>& names) {
  std::set<std::string> present;
  for (const std::string& name : names) present.insert(Folded(name));
  std::set<std::string> known;
  ProductFolderCheck check;
  for (const ProductFile& row : kTable) {
    for (const std::wstring& name : PackageNamesOf(row)) {
      known.insert(Folded(name));
      if (row.required && !present.count(Folded(name))) check.missing.push_back(Narrow(name));
    }
  }
  for (const std::string& name : names) {
    if (!known.count(Folded(name))) check.unused.push_back(name);
  }
  return check;
}

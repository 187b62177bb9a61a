#include "app/detection.h"

#include <cwctype>

#include "core/product.h"
#include "framework/base/path_text.h"

int CompareVersionText(const std::wstring& a, const std::wstring& b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const wint_t x = std::towlower(static_cast<wint_t>(a[i]));
    const wint_t y = std::towlower(static_cast<wint_t>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

DetectionResult EvaluateInstallation(const DetectionInput& input, const std::wstring& setupVersion,
                                     const std::function<bool(const std::wstring&)>& fileExists) {
  DetectionResult result;
  if (input.installPath.empty()) return result;
  const std::wstring folder = WithTrailingBackslash(input.installPath);
  if (!fileExists(folder + kMainProgram) && !fileExists(folder + kBetaProgram)) return result;
  if (input.version.empty()) return result;
  result.uninstallViaPipe = CompareVersionText(input.version, kPipeUninstallerVersion) >= 0 ? 1 : 0;
  const int order = CompareVersionText(setupVersion, input.version);
  result.existingState = order == 0 ? 1 : order < 0 ? 2 : 3;
  result.installFolder = folder;
  return result;
}

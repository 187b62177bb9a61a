#include "ui/pages/summary_text.h"

std::wstring FormatOne(const std::wstring& format, const std::wstring& value) {
  std::wstring out;
  bool used = false;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == L'%' && i + 1 < format.size()) {
      if (format[i + 1] == L'%') {
        out += L'%';
        ++i;
        continue;
      }
      if (format[i + 1] == L's' && !used) {
        out += value;
        used = true;
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

std::wstring BuildSummaryText(const SummaryChoices& c, const std::function<std::wstring(unsigned)>& text,
                              const std::wstring& folderLine) {
  std::wstring summary;
  if (!c.installFolder.empty()) {
    summary += text(51);
    summary += FormatOne(folderLine, c.installFolder);
  }
  if (c.desktopShortcut || c.startMenuIcon || c.quickLaunchIcon) {
    summary += text(53);
    if (c.desktopShortcut) summary += text(54);
    if (c.startMenuIcon) summary += text(55);
    if (c.quickLaunchIcon) summary += text(56);
  }
  return summary;
}

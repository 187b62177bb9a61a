#include "ui/pages/summary_text.h"

#include "core/text_ids.h"

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
    summary += text(kTextSummaryDestination);
    summary += FormatOne(folderLine, c.installFolder);
  }
  if (c.desktopShortcut || c.startMenuIcon || c.quickLaunchIcon) {
    summary += text(kTextSummaryDesktopSettings);
    if (c.desktopShortcut) summary += text(kTextSummaryDesktopShortcut);
    if (c.startMenuIcon) summary += text(kTextSummaryStartMenuIcon);
    if (c.quickLaunchIcon) summary += text(kTextSummaryQuickLaunchIcon);
  }
  return summary;
}

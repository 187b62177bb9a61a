#pragma once
// The text of the summary page, built from the chosen folder and shortcut options.
#include <functional>
#include <string>

struct SummaryChoices {
  std::wstring installFolder;
  int desktopShortcut = 0;
  int startMenuIcon = 0;
  int quickLaunchIcon = 0;
};

// `text` looks up a localized text; `folderLine` is the program's own format for the folder line
// ("   %s\r\n\r\n"), never a translated one.
std::wstring BuildSummaryText(const SummaryChoices& choices, const std::function<std::wstring(unsigned)>& text,
                              const std::wstring& folderLine);

// Replaces the first "%s" of a format by `value` ("%%" stands for "%").
std::wstring FormatOne(const std::wstring& format, const std::wstring& value);

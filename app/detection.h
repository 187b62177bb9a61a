#pragma once
// What an earlier installation's records say about it, apart from where they are read.
#include <functional>
#include <string>

inline constexpr wchar_t kPipeUninstallerVersion[] = L"2.0.0.0424";

// Version texts compare as text, character by character and ignoring case: "2.10.0.0" is older than
// "2.2.4.0225". Negative, zero or positive like wcscmp.
int CompareVersionText(const std::wstring& a, const std::wstring& b);

struct DetectionInput {
  std::wstring installPath;  // "InstallPath" of the product key, as read
  std::wstring version;      // "Version"
};

struct DetectionResult {
  int existingState = 0;  // 0 nothing usable, 1 same, 2 newer, 3 older version installed
  int uninstallViaPipe = 0;
  std::wstring installFolder;  // with a trailing backslash; empty when nothing was recognised
};

// `fileExists` tells whether a program file is there (given its full path).
DetectionResult EvaluateInstallation(const DetectionInput& input, const std::wstring& setupVersion,
                                     const std::function<bool(const std::wstring&)>& fileExists);

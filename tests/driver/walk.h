#pragma once
// Walks the wizard along a route of (page, button) steps, with a screenshot of every page.
#include <initializer_list>
#include <string>
#include <vector>

#include "resources/ids.h"
#include "tests/driver/gui_driver.h"

namespace gui {

struct Step {
  std::string page;   // the page expected on screen
  int button;         // the control to press there; 0 to press nothing (the page ends by itself)
  std::wstring keys;  // or the keys to type there instead (Driver::TypeKeys)
};

// The steps a user takes most, by name, and the default route from Welcome to the summary's Install.
inline const Step kWelcomeNext{"Welcome", IDC_WELCOME_NEXT};
inline const Step kLicenceAgree{"Licence", IDC_LICENCE_AGREE};
inline const Step kDesktopNext{"Desktop", IDC_DESKTOP_NEXT};
inline const Step kTypeDefault{"Type", IDC_TYPE_DEFAULT};
inline const Step kSummaryInstall{"Summary", IDC_SUMMARY_INSTALL};
inline const Step kFinishFinish{"Finish", IDC_FINISH_FINISH};
inline const Step kTypeCustom{"Type", IDC_TYPE_CUSTOM};
inline const Step kInterruptedFinish{"Interrupted", IDC_INTERRUPTED_FINISH};
inline const Step kDestinationNext{"Destination", IDC_DESTINATION_NEXT};
inline const std::vector<Step> kDefaultToInstall = {kWelcomeNext, kLicenceAgree, kTypeDefault, kDesktopNext,
                                                    kSummaryInstall};
// The same with more steps after it.
inline std::vector<Step> DefaultToInstallThen(std::initializer_list<Step> more) {
  std::vector<Step> steps = kDefaultToInstall;
  steps.insert(steps.end(), more);
  return steps;
}

struct WalkResult {
  bool ok = true;
  std::vector<std::string> route;  // pages seen, in order
  std::string error;
};

// Follows `steps`; stops at the first page that is not the expected one. Screenshots go to
// shotFolder\NN-Page.png when shotFolder is not empty.
WalkResult Walk(Driver& driver, const std::vector<Step>& steps, const std::wstring& shotFolder);

// On the destination page: types `folder` (one that does not exist yet), presses Next and answers Yes when the
// setup asks to create it; a screenshot of the filled page goes to `shot` when it is not empty. Returns what went
// wrong, or an empty text.
std::string ChooseNewFolder(Driver& driver, const std::wstring& folder, const std::wstring& shot = L"");

// Texts 70, 71 and 72 of the Interrupted page, in its controls IDC_INTERRUPTED_TEXT1 to IDC_INTERRUPTED_TEXT3.
inline const wchar_t* const kInterruptedTexts[] = {
    L"Setup was interrupted before Kelto Quorbel could be completely installed.",
    L"Your system has not been modified. To install this program at a later time, please run the installation "
    L"again.",
    L"Click Finish to exit Setup."};

// The folder of the running program, with no trailing backslash.
std::wstring ModuleFolder();

// Copies `source` to C:\kelto\<name> so the setup runs from a drive of the prefix like a download would.
std::wstring StageSetup(const std::wstring& source);

std::wstring Widen(const std::string& text);

// Names in a folder (with or without its trailing backslash), without "." and "..".
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

// Waits for the product's window, which Finish starts when "Run Kelto Quorbel" stays checked; closes it.
bool WaitForProductStarted(DWORD timeoutMs = 15000);

// Removes the product's machine record (both registry views), so the next setup finds nothing installed,
// and closes the product if an earlier Finish started it.
void ForgetInstallation();

}  // namespace gui

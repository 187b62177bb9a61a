#pragma once
// Shows a page in-process, as the session would, while a driver attached to this process works it from a
// second thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/xml/xml_document.h"
#include "framework/base/file_access.h"
#include "framework/ui/dialog.h"
#include "i18n/language_catalogue.h"
#include "i18n/string_catalogue.h"
#include "i18n/win_string_sources.h"
#include "install_test_helpers.h"
#include "tests/driver/gui_driver.h"
#include "tests/driver/walk.h"

namespace page_test {

// Shows the page on this thread while `drive` runs on another with a driver attached to this process.
inline INT_PTR ShowDriven(Dialog& page, const std::function<void(gui::Driver&, HWND)>& drive,
                          const char* name = "Components") {
  std::thread driver([&] {
    gui::Driver d;
    d.Attach(::GetCurrentProcessId());
    HWND window = d.WaitForNamedPage(name, 10000);
    if (window) drive(d, window);
  });
  const INT_PTR code = page.DoModal(nullptr);
  driver.join();
  return code;
}

struct LanguageTexts {
  std::string name;
  int skin = 0;
  std::function<std::wstring(unsigned)> text;
  std::shared_ptr<StringCatalogue> catalogue;  // null for the program's own English
};

// The program's own English, then every language file beside the tests, loaded as the setup loads it.
inline std::vector<LanguageTexts> ShippedLanguages(install_test::Sandbox& sandbox) {
  std::vector<LanguageTexts> languages;
  languages.push_back({"English", 0, [](unsigned id) {
                         const std::u16string text = LoadBuiltinString(id);
                         return std::wstring(text.begin(), text.end());
                       }});
  const std::wstring folder = gui::JoinPath(gui::ModuleFolder(), L"lang");
  for (const std::wstring& file : gui::FolderEntries(folder)) {
    const std::string bytes = install_test::ReadText(folder + L"\\" + file);
    const std::unique_ptr<XmlElement> root = XmlDocument::Parse(bytes);
    if (!root) {
      ADD_FAILURE() << "unreadable language file";
      continue;
    }
    const std::u16string name = root->AttrValue("name");
    const std::wstring place = sandbox.path() + L"\\" + std::to_wstring(languages.size());
    ::CreateDirectoryW(place.c_str(), nullptr);
    ::CopyFileW((folder + L"\\" + file).c_str(), (place + L"\\" + file).c_str(), FALSE);
    install_test::WriteText(place + L"\\LangConfig.xml", "<LangConfig LangType=\"1\"><LangId value=\"" +
                                                             std::to_string(LanguageCatalogue::IdOfName(name)) +
                                                             "\"/></LangConfig>");
    auto catalogue = std::make_shared<StringCatalogue>(ReadWholeFile, LoadBuiltinString);
    const int skin = catalogue->LoadAtStartup(std::u16string(place.begin(), place.end()), u"");
    EXPECT_NE(catalogue->languageDocument(), nullptr) << std::string(name.begin(), name.end());
    languages.push_back({std::string(name.begin(), name.end()), skin < 0 ? 0 : skin,
                         [catalogue](unsigned id) {
                           const std::u16string text = catalogue->text(id);
                           return std::wstring(text.begin(), text.end());
                         },
                         catalogue});
  }
  return languages;
}

}  // namespace page_test

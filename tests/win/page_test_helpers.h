#pragma once
// Shows a page in-process, as the session would, while a driver attached to this process works it from a
// second thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/xml/xml_document.h"
#include "framework/base/file_access.h"
#include "framework/base/handles.h"
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

// A 32-bit picture to draw into and read back, filled with one colour first.
class Image {
 public:
  Image(int width, int height, COLORREF fill) : width_(width), height_(height) {
    dc_ = ::CreateCompatibleDC(nullptr);
    bitmap_.reset(gui::CreateTopDownDib(dc_, width, height, reinterpret_cast<void**>(&bits_)));
    old_ = ::SelectObject(dc_, bitmap_.get());
    UniqueGdi brush(::CreateSolidBrush(fill));
    const RECT all = {0, 0, width, height};
    ::FillRect(dc_, &all, static_cast<HBRUSH>(brush.get()));
  }
  ~Image() {
    ::SelectObject(dc_, old_);
    ::DeleteDC(dc_);
  }
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }
  COLORREF At(int x, int y) const {
    ::GdiFlush();
    const uint8_t* p = bits_ + (static_cast<size_t>(y) * width_ + x) * 4;
    return RGB(p[2], p[1], p[0]);
  }
  int Count(COLORREF colour) const { return CountIn(colour, {0, 0, width_, height_}); }
  int CountIn(COLORREF colour, const RECT& area) const {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) n += At(x, y) == colour ? 1 : 0;
    }
    return n;
  }
  // Bounding box of the pixels darker than mid-grey inside `area`; empty when there are none.
  RECT DarkBox(const RECT& area) const {
    RECT box = {area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        const COLORREF c = At(x, y);
        if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128) {
          box.left = std::min<LONG>(box.left, x);
          box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x + 1);
          box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
      }
    }
    return box;
  }

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  UniqueGdi bitmap_;
  HGDIOBJ old_ = nullptr;
  uint8_t* bits_ = nullptr;
};

}  // namespace page_test

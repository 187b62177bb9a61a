// Parses arbitrary bytes and runs every query of the tree on the result, then
// uses the same bytes as a language file and as LangConfig.xml.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/xml/xml_document.h"
#include "i18n/string_catalogue.h"

namespace {

volatile size_t g_sink;

void Touch(const std::u16string& s) { g_sink += s.size(); }
void Touch(const std::string& s) { g_sink += s.size(); }

void Walk(const XmlElement& e, int depth) {
  // Parse bounds the depth, so recursing here checks that bound too.
  if (depth > XmlDocument::kMaxDepth) __builtin_trap();
  Touch(e.TagName(true));
  Touch(e.TagName(false));
  for (const XmlElement::Attribute& a : e.Attributes()) {
    const std::string qualified = a.prefix.empty() ? a.name : a.prefix + ":" + a.name;
    // Every stored attribute must be found again by both lookups.
    if (e.AttrValue(qualified) != a.value || e.AttrValue(a.prefix, a.name) != a.value) __builtin_trap();
    int value = 0;
    if (!e.AttrInteger(qualified, value)) __builtin_trap();
    g_sink += static_cast<size_t>(value);
  }
  Touch(e.AttrValue("id"));
  Touch(e.AttrValue("missing:attr"));
  const size_t count = e.ChildCount();
  for (size_t i = 0; i <= count; ++i) {
    const XmlElement* child = e.ChildElement(i);
    if (!child) continue;
    if (child->Parent() != &e) __builtin_trap();
    // A few searches per element keep wide elements from turning quadratic.
    if (i < 4) {
      const XmlElement* first = e.FindElement(child->Prefix(), child->Name(), 0);
      if (!first || first->Name() != child->Name()) __builtin_trap();
      Touch(e.FindElement("", child->Name(), 1) ? "f" : "");
    }
    Walk(*child, depth + 1);
  }
  Touch(e.FindElement("", "Strings", 0) ? "s" : "");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  size_t end = 0;
  std::unique_ptr<XmlElement> root = XmlDocument::Parse(bytes, size, &end);
  if (end > size) __builtin_trap();
  if (root) Walk(*root, 1);
  XmlDocument::Destroy(root);

  // The same bytes as both the configuration and every language file.
  const std::string file(bytes, size);
  StringCatalogue catalogue(
      [&file](const std::u16string&, std::string& out) {
        out = file;
        return true;
      },
      [](unsigned id) { return id == 101 ? std::u16string(u"English") : std::u16string(); });
  catalogue.LoadAtStartup(u"C:\\Setup", u"English");
  for (unsigned id : {0u, 1u, 5u, 17u, 91u, 101u, 117u, 4294967295u}) Touch(catalogue.text(id));
  for (const std::u16string& name : catalogue.OfferedLanguageTexts()) Touch(name);
  catalogue.SelectOfferedLanguage(0);
  return 0;
}

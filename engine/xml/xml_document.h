// Read-only XML reader for config.xml and the installer's language files.
// Lenient: it never reports errors, skips what it does not understand and
// returns either a tree or nothing.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class XmlElement {
 public:
  struct Attribute {
    std::string prefix;  // raw bytes of the file
    std::string name;    // raw bytes of the file
    std::u16string value;
  };

  // A child node: either an element or a text segment.
  struct Node {
    std::unique_ptr<XmlElement> element;
    std::u16string text;
    bool cdata = false;
  };

  XmlElement(XmlElement* parent, std::string prefix, std::string name);
  XmlElement(const XmlElement&) = delete;
  XmlElement& operator=(const XmlElement&) = delete;

  const XmlElement* Parent() const { return parent_; }
  const std::string& Prefix() const { return prefix_; }
  const std::string& Name() const { return name_; }
  const std::vector<Attribute>& Attributes() const { return attributes_; }
  const std::vector<Node>& Children() const { return children_; }

  // "prefix:name" when qualified and the prefix is not empty, else the name.
  std::string TagName(bool qualified) const;

  // Empty when the attribute is absent. The qualified name is split at its
  // first colon; without a colon the prefix is empty.
  std::u16string AttrValue(const std::string& qualifiedName) const;
  std::u16string AttrValue(const std::string& prefix, const std::string& name) const;

  // True when the attribute exists; out receives its value read like atoi().
  bool AttrInteger(const std::string& qualifiedName, int& out) const;

  // Elements and text segments together.
  size_t ChildCount() const { return children_.size(); }
  // Null for a text segment or an index out of range.
  const XmlElement* ChildElement(size_t index) const;
  // The n-th (from 0) child element named name; an empty prefix matches any.
  const XmlElement* FindElement(const std::string& prefix, const std::string& name, size_t n) const;

 private:
  friend class XmlParser;
  const Attribute* FindAttribute(const std::string& prefix, const std::string& name) const;
  void SetAttribute(std::string prefix, std::string name, std::u16string value);

  XmlElement* parent_;
  std::string prefix_;
  std::string name_;
  std::vector<Attribute> attributes_;
  std::vector<Node> children_;
};

class XmlDocument {
 public:
  // Deeper elements are treated like malformed children, which keeps the
  // recursive parser's stack bounded on hostile input.
  static constexpr int kMaxDepth = 256;

  // The root element, or null when the bytes hold no well-formed root.
  // end, when given, receives the offset just after the root.
  static std::unique_ptr<XmlElement> Parse(const char* bytes, size_t length, size_t* end = nullptr);
  static std::unique_ptr<XmlElement> Parse(const std::string& bytes, size_t* end = nullptr) {
    return Parse(bytes.data(), bytes.size(), end);
  }

  // Frees the root and everything below it.
  static void Destroy(std::unique_ptr<XmlElement>& root) { root.reset(); }
};

// The C library's string-to-integer rules (leading white space, optional
// sign, digits up to the first other character, 0 without digits), read
// from UTF-16; saturates at the int range instead of overflowing.
int ParseCInteger(const std::u16string& text);

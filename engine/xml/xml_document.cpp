#include "engine/xml/xml_document.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <utility>

#include "engine/xml/ansi_codepage.h"

namespace {

bool IsBlank(unsigned char c) { return c == 9 || c == 10 || c == 13 || c == 32; }

bool IsAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsNameStart(unsigned char c) { return IsAsciiLetter(c) || c >= 0x80 || c == '_' || c == ':'; }

bool IsNameByte(unsigned char c) {
  return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c >= 0x80 || c == '-' || c == '.' || c == '_';
}

constexpr uint32_t kMaxCodePoint = 0x10FFFF;

void AppendCodePoint(uint32_t cp, std::u16string& out) {
  if (cp > kMaxCodePoint) return;
  if (cp > 0xFFFF) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    return;
  }
  out.push_back(static_cast<char16_t>(cp));
}

void TrimTrailingBlanks(std::u16string& text) {
  size_t n = text.size();
  while (n > 0 && (text[n - 1] == u' ' || text[n - 1] == u'\t' || text[n - 1] == u'\r' || text[n - 1] == u'\n')) --n;
  text.resize(n);
}

// Lenient decoder: broken sequences lose their bytes, overlong forms pass.
class Utf8Decoder {
 public:
  void Reset() { pending_ = 0; }

  void Feed(unsigned char b, std::u16string& out) {
    if (b < 0x80) {
      pending_ = 0;
      out.push_back(b);
    } else if (b < 0xC0) {
      if (pending_ == 0) return;
      codePoint_ = (codePoint_ << 6) | (b & 0x3F);
      if (--pending_ == 0) AppendCodePoint(codePoint_, out);
    } else if (b < 0xE0) {
      Start(b & 0x1F, 1);
    } else if (b < 0xF0) {
      Start(b & 0x0F, 2);
    } else if (b < 0xF8) {
      Start(b & 0x07, 3);
    } else if (b < 0xFC) {
      Start(b & 0x03, 4);
    } else if (b < 0xFE) {
      Start(b & 0x01, 5);
    }
    // 0xFE and 0xFF are ignored.
  }

 private:
  void Start(uint32_t bits, int continuation) {
    codePoint_ = bits;
    pending_ = continuation;
  }

  uint32_t codePoint_ = 0;  // at most 31 bits after a six-byte form
  int pending_ = 0;
};

}  // namespace

// One forward pass over the bytes; it never looks back more than one byte
// and checks every read against the end of the buffer.
class XmlParser {
 public:
  XmlParser(const char* bytes, size_t length)
      : data_(reinterpret_cast<const unsigned char*>(bytes)), size_(bytes ? length : 0) {}

  size_t Position() const { return pos_; }

  std::unique_ptr<XmlElement> ParseElement(XmlElement* parent, int depth) {
    if (depth > XmlDocument::kMaxDepth) return nullptr;
    if (!ReadStart()) return nullptr;
    std::string prefix, name;
    ReadName(prefix, name);
    if (name.empty()) return nullptr;
    auto element = std::make_unique<XmlElement>(parent, std::move(prefix), std::move(name));
    ReadAttributes(*element);

    SkipBlanks();
    if (AtEnd()) return element;
    const unsigned char c = Take();
    if (c == '/') {
      if (!AtEnd()) ++pos_;  // the ">" of an empty-element tag
      return element;
    }
    if (c != '>') return nullptr;
    ReadContent(*element, depth);
    return element;
  }

 private:
  bool AtEnd() const { return pos_ >= size_; }
  unsigned char Peek() const { return data_[pos_]; }
  unsigned char Take() { return data_[pos_++]; }
  bool NextIs(unsigned char c) const { return !AtEnd() && data_[pos_] == c; }

  bool LiteralAt(size_t at, const char* literal) const {
    const size_t n = std::strlen(literal);
    return at <= size_ && size_ - at >= n && std::memcmp(data_ + at, literal, n) == 0;
  }

  // Continues after the literal, or at the end when it is missing.
  void SkipTo(const char* literal) {
    while (!AtEnd()) {
      if (LiteralAt(pos_, literal)) {
        pos_ += std::strlen(literal);
        return;
      }
      ++pos_;
    }
  }

  void SkipBlanks() {
    while (!AtEnd() && IsBlank(Peek())) ++pos_;
  }

  // Moves past the "<" of the next start tag; false when there is none.
  bool ReadStart() {
    for (;;) {
      while (!AtEnd() && Peek() != '<') ++pos_;
      if (AtEnd()) return false;
      ++pos_;
      if (NextIs('?')) {
        ++pos_;
        SkipTo("?>");
      } else if (NextIs('!')) {
        // DOCTYPE and any other "<!" construct end at the next "-->" too.
        ++pos_;
        SkipTo("-->");
      } else {
        return !NextIs('/');
      }
    }
  }

  // A colon closes the prefix; an invalid first byte leaves both empty.
  void ReadName(std::string& prefix, std::string& name) {
    prefix.clear();
    name.clear();
    if (AtEnd() || !IsNameStart(Peek())) return;
    while (!AtEnd()) {
      const unsigned char c = Peek();
      if (c == ':') {
        prefix.swap(name);
        name.clear();
      } else if (IsNameByte(c)) {
        name.push_back(static_cast<char>(c));
      } else {
        break;
      }
      ++pos_;
    }
  }

  void ReadAttributes(XmlElement& element) {
    for (;;) {
      SkipBlanks();
      if (AtEnd() || !IsNameStart(Peek())) return;
      std::string prefix, name;
      ReadName(prefix, name);
      SkipBlanks();
      if (!NextIs('=')) return;
      ++pos_;
      SkipBlanks();
      element.SetAttribute(std::move(prefix), std::move(name), ReadValue());
    }
  }

  std::u16string ReadValue() {
    std::u16string value;
    if (AtEnd()) return value;
    const unsigned char quote = Take();
    if (quote != '"' && quote != '\'') return value;
    Utf8Decoder decoder;
    while (!AtEnd() && Peek() != quote) {
      const unsigned char c = Take();
      if (c == '&') {
        decoder.Reset();
        ReadReference(value);
      } else {
        decoder.Feed(c, value);
      }
    }
    if (!AtEnd()) ++pos_;  // closing quote
    return value;
  }

  // After "&": a numeric or named reference, ended by ";" or the buffer end.
  void ReadReference(std::u16string& out) {
    if (NextIs('#')) {
      ++pos_;
      const bool hex = NextIs('x');
      if (hex) ++pos_;
      uint32_t cp = 0;
      while (!AtEnd() && Peek() != ';') {
        const unsigned char c = Take();
        int digit = -1;
        if (c >= '0' && c <= '9')
          digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
          digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
          digit = c - 'A' + 10;
        if (digit < 0) continue;
        // Saturate so a long digit run stays out of range instead of wrapping.
        cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
        if (cp > kMaxCodePoint) cp = kMaxCodePoint + 1;
      }
      if (!AtEnd()) ++pos_;
      AppendCodePoint(cp, out);
      return;
    }
    const size_t start = pos_;
    while (!AtEnd() && Peek() != ';') ++pos_;
    const std::string name(reinterpret_cast<const char*>(data_ + start), pos_ - start);
    if (!AtEnd()) ++pos_;
    if (name == "gt")
      out.push_back(u'>');
    else if (name == "lt")
      out.push_back(u'<');
    else if (name == "amp")
      out.push_back(u'&');
    else if (name == "apos")
      out.push_back(u'\'');
    else if (name == "quot")
      out.push_back(u'"');
    else
      out.push_back(u'\0');
  }

  static void StoreText(XmlElement& element, std::u16string& text, bool cdata) {
    if (text.empty()) return;
    XmlElement::Node node;
    node.text = std::move(text);
    node.cdata = cdata;
    element.children_.push_back(std::move(node));
    text.clear();
  }

  void ReadContent(XmlElement& element, int depth) {
    std::u16string pending, segment;
    bool cdata = false;
    Utf8Decoder decoder;
    SkipBlanks();
    while (!AtEnd()) {
      const unsigned char c = Peek();
      if (c == '&') {
        ++pos_;
        decoder.Reset();
        ReadReference(pending);
        continue;
      }
      if (c != '<') {
        ++pos_;
        decoder.Feed(c, pending);
        continue;
      }
      decoder.Reset();
      if (LiteralAt(pos_, "<![CDATA[")) {
        pos_ += 9;
        const size_t start = pos_;
        size_t stop = size_;
        while (!AtEnd()) {
          if (LiteralAt(pos_, "]]>")) {
            stop = pos_;
            pos_ += 3;
            break;
          }
          ++pos_;
        }
        segment = AnsiToUtf16(reinterpret_cast<const char*>(data_ + start), stop - start);
        pending.clear();
        cdata = stop > start;
        SkipBlanks();
      } else if (LiteralAt(pos_, "<!")) {
        pos_ += 2;
        SkipTo("-->");
        SkipBlanks();
      } else if (LiteralAt(pos_, "<?")) {
        pos_ += 2;
        SkipTo("?>");
        SkipBlanks();
      } else if (LiteralAt(pos_, "</")) {
        // The end tag's name is not compared with the start tag's.
        pos_ += 2;
        std::string prefix, name;
        ReadName(prefix, name);
        SkipBlanks();
        if (!AtEnd()) ++pos_;
        break;
      } else {
        segment += pending;
        pending.clear();
        if (!cdata) TrimTrailingBlanks(segment);
        StoreText(element, segment, cdata);
        segment.clear();
        cdata = false;
        std::unique_ptr<XmlElement> child = ParseElement(&element, depth + 1);
        if (!child) return;  // a malformed child ends this element's content
        XmlElement::Node node;
        node.element = std::move(child);
        element.children_.push_back(std::move(node));
        SkipBlanks();
      }
    }
    segment += pending;
    TrimTrailingBlanks(segment);
    StoreText(element, segment, cdata);
  }

  const unsigned char* data_;
  size_t size_;
  size_t pos_ = 0;
};

XmlElement::XmlElement(XmlElement* parent, std::string prefix, std::string name)
    : parent_(parent), prefix_(std::move(prefix)), name_(std::move(name)) {}

std::string XmlElement::TagName(bool qualified) const {
  if (qualified && !prefix_.empty()) return prefix_ + ":" + name_;
  return name_;
}

const XmlElement::Attribute* XmlElement::FindAttribute(const std::string& prefix, const std::string& name) const {
  for (const Attribute& attribute : attributes_) {
    if (attribute.prefix == prefix && attribute.name == name) return &attribute;
  }
  return nullptr;
}

void XmlElement::SetAttribute(std::string prefix, std::string name, std::u16string value) {
  for (Attribute& attribute : attributes_) {
    if (attribute.prefix == prefix && attribute.name == name) {
      attribute.value = std::move(value);
      return;
    }
  }
  attributes_.push_back(Attribute{std::move(prefix), std::move(name), std::move(value)});
}

std::u16string XmlElement::AttrValue(const std::string& qualifiedName) const {
  const size_t colon = qualifiedName.find(':');
  if (colon == std::string::npos) return AttrValue(std::string(), qualifiedName);
  return AttrValue(qualifiedName.substr(0, colon), qualifiedName.substr(colon + 1));
}

std::u16string XmlElement::AttrValue(const std::string& prefix, const std::string& name) const {
  const Attribute* attribute = FindAttribute(prefix, name);
  return attribute ? attribute->value : std::u16string();
}

bool XmlElement::AttrInteger(const std::string& qualifiedName, int& out) const {
  const size_t colon = qualifiedName.find(':');
  const Attribute* attribute = colon == std::string::npos
                                   ? FindAttribute(std::string(), qualifiedName)
                                   : FindAttribute(qualifiedName.substr(0, colon), qualifiedName.substr(colon + 1));
  if (!attribute) return false;
  out = ParseCInteger(attribute->value);
  return true;
}

const XmlElement* XmlElement::ChildElement(size_t index) const {
  if (index >= children_.size()) return nullptr;
  return children_[index].element.get();
}

const XmlElement* XmlElement::FindElement(const std::string& prefix, const std::string& name, size_t n) const {
  for (const Node& node : children_) {
    const XmlElement* child = node.element.get();
    if (!child || child->name_ != name) continue;
    if (!prefix.empty() && child->prefix_ != prefix) continue;
    if (n == 0) return child;
    --n;
  }
  return nullptr;
}

std::unique_ptr<XmlElement> XmlDocument::Parse(const char* bytes, size_t length, size_t* end) {
  XmlParser parser(bytes, length);
  std::unique_ptr<XmlElement> root = parser.ParseElement(nullptr, 1);
  if (end) *end = parser.Position();
  return root;
}

int ParseCInteger(const std::u16string& text) {
  // Non-ASCII characters never become digits or white space in the ANSI
  // code page, so reading the UTF-16 directly gives the same number.
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  const long long limit = static_cast<long long>(INT_MAX) + 1;
  long long value = 0;
  for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > limit) value = limit;
  }
  if (negative) return static_cast<int>(-value);
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

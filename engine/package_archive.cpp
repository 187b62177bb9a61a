#include "engine/package_archive.h"

#include <cstring>
#include <initializer_list>
#include <type_traits>
#include <utility>

namespace {

uint32_t Upper(uint32_t c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

bool StemIs(const uint32_t* stem, size_t n, const char* word) {
  const size_t len = std::strlen(word);
  if (n != len) return false;
  for (size_t i = 0; i < len; ++i) {
    if (Upper(stem[i]) != uint32_t(word[i])) return false;
  }
  return true;
}

bool IsDeviceStem(const uint32_t* stem, size_t n) {
  for (const char* word : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (StemIs(stem, n, word)) return true;
  }
  if (n != 4) return false;
  // COM0..COM9 and LPT0..LPT9, and the superscript digits 1 to 3 that Windows also maps to ports.
  const uint32_t d = stem[3];
  const bool portDigit = (d >= '0' && d <= '9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
  return portDigit && (StemIs(stem, 3, "COM") || StemIs(stem, 3, "LPT"));
}

template <typename Unit>
bool IsSafeName(const Unit* name, size_t n) {
  if (n == 0 || n > kMaxEntryNameBytes) return false;
  auto unit = [name](size_t i) { return static_cast<uint32_t>(static_cast<std::make_unsigned_t<Unit>>(name[i])); };
  size_t stemEnd = n;
  for (size_t i = 0; i < n; ++i) {
    const uint32_t c = unit(i);
    if (c < 32 || c == 127 || (c < 128 && std::strchr("\\/:*?\"<>|", int(c)) != nullptr)) return false;
    if (c == '.' && stemEnd == n) stemEnd = i;
  }
  // Also rules out "." and "..".
  if (unit(n - 1) == '.' || unit(n - 1) == ' ') return false;
  // "nul.txt" and "NUL .txt" open the device too.
  while (stemEnd > 0 && unit(stemEnd - 1) == ' ') --stemEnd;
  if (stemEnd > 7) return true;
  uint32_t stem[7];
  for (size_t i = 0; i < stemEnd; ++i) stem[i] = unit(i);
  return !IsDeviceStem(stem, stemEnd);
}

// Reads little-endian fields off the front of a view; every read is checked against what remains.
class Cursor {
 public:
  explicit Cursor(ByteView bytes) : p_(bytes.data), left_(bytes.size) {}
  size_t left() const { return left_; }
  bool U32(uint32_t& value) {
    if (left_ < 4) return false;
    value = ReadLe32(p_);
    Skip(4);
    return true;
  }
  bool Take(size_t n, ByteView& out) {
    if (left_ < n) return false;
    out = {p_, n};
    Skip(n);
    return true;
  }

 private:
  void Skip(size_t n) {
    p_ += n;
    left_ -= n;
  }
  const uint8_t* p_;
  size_t left_;
};

}  // namespace

bool IsSafeEntryName(const uint8_t* name, size_t size) { return IsSafeName(name, size); }
bool IsSafeEntryName(const wchar_t* name, size_t size) { return IsSafeName(name, size); }

namespace {

PackageResult Parse(ByteView container, PackageArchive& archive) {
  Cursor in(container);
  ByteView magic;
  if (!in.Take(3, magic) || std::memcmp(magic.data, kPackageMagic, 3) != 0) return kPackageBadMagic;

  uint32_t count = 0;
  uint32_t flag = 0;
  uint32_t index = 0;
  if (!in.U32(count) || !in.U32(flag) || !in.U32(index)) return kPackageTruncated;
  archive.selectionFlag = flag;
  archive.selectionIndex = static_cast<int32_t>(index);

  // No reserve from the count: a forged count must not size anything. The entries themselves are
  // bounded by the bytes present (at least 9 each).
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t nameSize = 0;
    PackageEntry entry;
    if (!in.U32(nameSize)) return kPackageTruncated;
    if (nameSize == 0 || nameSize > kMaxEntryNameBytes) return kPackageBadName;
    if (!in.Take(nameSize, entry.name)) return kPackageTruncated;
    if (!IsSafeEntryName(entry.name.data, entry.name.size)) return kPackageBadName;
    uint32_t dataSize = 0;
    if (!in.U32(dataSize) || !in.Take(dataSize, entry.data)) return kPackageTruncated;
    archive.entries.push_back(entry);
  }
  return kPackageOk;
}

}  // namespace

PackageResult ReadPackageArchive(ByteView container, PackageArchive& archive) {
  // Nothing half-read is handed out.
  PackageArchive parsed;
  const PackageResult result = Parse(container, parsed);
  archive = result == kPackageOk ? std::move(parsed) : PackageArchive{};
  return result;
}

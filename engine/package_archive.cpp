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

}  // namespace

bool IsSafeEntryName(const uint8_t* name, size_t size) { return IsSafeName(name, size); }
bool IsSafeEntryName(const wchar_t* name, size_t size) { return IsSafeName(name, size); }

// Takes `need` bytes of a field: straight from the piece when it holds them all, else gathered into `store`
// across pieces. False when the piece ran out first.
bool PackageReader::Gather(const uint8_t*& p, size_t& left, size_t need, uint8_t* store, ByteView& field) {
  if (have_ == 0 && left >= need) {
    field = {p, need};
    p += need;
    left -= need;
    return true;
  }
  const size_t take = need - have_ < left ? need - have_ : left;
  std::memcpy(store + have_, p, take);
  have_ += take;
  p += take;
  left -= take;
  if (have_ < need) return false;
  have_ = 0;
  field = {store, need};
  return true;
}

// Reads one field (or a run of data) off the front of the piece.
PackageResult PackageReader::Next(const uint8_t*& p, size_t& left) {
  ByteView bytes;
  switch (field_) {
    case Field::kMagic:
      if (!Gather(p, left, 3, numbers_, bytes)) return kPackageOk;
      if (std::memcmp(bytes.data, kPackageMagic, 3) != 0) return kPackageBadMagic;
      field_ = Field::kHeader;
      return kPackageOk;
    case Field::kHeader:
      if (!Gather(p, left, 12, numbers_, bytes)) return kPackageOk;
      // No reserve or allocation from the count: a forged one must not size anything.
      entriesLeft_ = ReadLe32(bytes.data);
      flag_ = ReadLe32(bytes.data + 4);
      index_ = static_cast<int32_t>(ReadLe32(bytes.data + 8));
      field_ = entriesLeft_ == 0 ? Field::kDone : Field::kNameSize;
      return kPackageOk;
    case Field::kNameSize:
      if (!Gather(p, left, 4, numbers_, bytes)) return kPackageOk;
      nameSize_ = ReadLe32(bytes.data);
      if (nameSize_ == 0 || nameSize_ > kMaxEntryNameBytes) return kPackageBadName;
      field_ = Field::kName;
      return kPackageOk;
    case Field::kName:
      if (!Gather(p, left, nameSize_, nameStore_, name_)) return kPackageOk;
      if (!IsSafeEntryName(name_.data, name_.size)) return kPackageBadName;
      field_ = Field::kDataSize;
      return kPackageOk;
    case Field::kDataSize: {
      if (!Gather(p, left, 4, numbers_, bytes)) return kPackageOk;
      remaining_ = ReadLe32(bytes.data);
      const PackageResult begun = sink_.BeginEntry(name_, remaining_);
      if (begun != kPackageOk) return begun;
      field_ = Field::kData;
      return kPackageOk;
    }
    case Field::kData: {
      const size_t take = remaining_ < left ? remaining_ : left;
      if (take > 0) {
        const PackageResult written = sink_.Write({p, take});
        if (written != kPackageOk) return written;
        p += take;
        left -= take;
        remaining_ -= static_cast<uint32_t>(take);
      }
      if (remaining_ > 0) return kPackageOk;
      const PackageResult ended = sink_.EndEntry();
      if (ended != kPackageOk) return ended;
      field_ = --entriesLeft_ == 0 ? Field::kDone : Field::kNameSize;
      return kPackageOk;
    }
    case Field::kDone:
      // Bytes after the last entry are not part of any file.
      p += left;
      left = 0;
      return kPackageOk;
  }
  return kPackageOk;
}

PackageResult PackageReader::Feed(ByteView piece) {
  if (failed_ != kPackageOk) return failed_;
  const uint8_t* p = piece.data;
  size_t left = piece.size;
  // An empty entry at the end of a piece still ends here, not with the next piece.
  while (left > 0 || (field_ == Field::kData && remaining_ == 0)) {
    const PackageResult result = Next(p, left);
    if (result != kPackageOk) return failed_ = result;
  }
  // A name read straight from this piece must outlive it until its size arrives.
  if (field_ == Field::kDataSize && name_.data != nameStore_) {
    std::memcpy(nameStore_, name_.data, name_.size);
    name_.data = nameStore_;
  }
  return kPackageOk;
}

PackageResult PackageReader::Finish() const {
  if (failed_ != kPackageOk) return failed_;
  if (field_ == Field::kDone) return kPackageOk;
  return field_ == Field::kMagic ? kPackageBadMagic : kPackageTruncated;
}

namespace {

// Keeps each entry as views into the one piece that holds the whole container.
class ViewSink : public PackageSink {
 public:
  explicit ViewSink(std::vector<PackageEntry>& entries) : entries_(entries) {}
  PackageResult BeginEntry(ByteView name, uint32_t size) override {
    // The size field sits between the name and the data.
    entries_.push_back({name, {name.data + name.size + 4, 0}});
    (void)size;
    return kPackageOk;
  }
  PackageResult Write(ByteView bytes) override {
    entries_.back().data.size += bytes.size;
    return kPackageOk;
  }
  PackageResult EndEntry() override { return kPackageOk; }

 private:
  std::vector<PackageEntry>& entries_;
};

}  // namespace

PackageResult ReadPackageArchive(ByteView container, PackageArchive& archive) {
  PackageArchive parsed;
  ViewSink sink(parsed.entries);
  PackageReader reader(sink);
  PackageResult result = reader.Feed(container);
  if (result == kPackageOk) result = reader.Finish();
  parsed.selectionFlag = reader.selectionFlag();
  parsed.selectionIndex = reader.selectionIndex();
  archive = result == kPackageOk ? std::move(parsed) : PackageArchive{};
  return result;
}

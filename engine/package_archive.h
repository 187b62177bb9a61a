#pragma once
// The "HEN" container inside the LZMA layer: a flat list of named files, read strictly in order.
//   "HEN", entry count u32, selection flag u32, selection index i32, then per entry:
//   name length u32, name bytes (ANSI, no terminator), data size u32, data bytes. Little-endian throughout.
#include <cstdint>
#include <vector>

#include "engine/package_bytes.h"
#include "engine/package_result.h"

inline constexpr uint8_t kPackageMagic[3] = {'H', 'E', 'N'};
inline constexpr size_t kPackageHeaderSize = 15;
// Names were read into a zeroed 260-byte buffer, so 259 bytes is the longest that stays terminated.
inline constexpr size_t kMaxEntryNameBytes = 259;

struct PackageEntry {
  ByteView name;
  ByteView data;
};

struct PackageArchive {
  uint32_t selectionFlag = 0;   // carried, no effect on extraction
  int32_t selectionIndex = -1;  // carried, no effect on extraction
  std::vector<PackageEntry> entries;
};

// Receives the entries in container order. Any result other than kPackageOk stops the reading with it.
class PackageSink {
 public:
  virtual ~PackageSink() = default;
  // `name` has passed IsSafeEntryName; it is valid for this call only. `size` bytes follow through Write.
  virtual PackageResult BeginEntry(ByteView name, uint32_t size) = 0;
  virtual PackageResult Write(ByteView bytes) = 0;
  virtual PackageResult EndEntry() = 0;
};

// Reads the container from pieces of any size, as they arrive, handing each entry's data on as it comes:
// no field is trusted before it is checked, and nothing of the payload is held. A name is checked before its
// entry begins; a count or size past the bytes that arrive is found at Finish.
class PackageReader {
 public:
  explicit PackageReader(PackageSink& sink) : sink_(sink) {}
  // kPackageOk to go on; any other result is final.
  [[nodiscard]] PackageResult Feed(ByteView piece);
  // No more bytes: kPackageOk only when every counted entry has been read whole.
  [[nodiscard]] PackageResult Finish() const;
  uint32_t selectionFlag() const { return flag_; }
  int32_t selectionIndex() const { return index_; }

 private:
  enum class Field { kMagic, kHeader, kNameSize, kName, kDataSize, kData, kDone };
  bool Gather(const uint8_t*& p, size_t& left, size_t need, uint8_t* store, ByteView& field);
  PackageResult Next(const uint8_t*& p, size_t& left);

  PackageSink& sink_;
  Field field_ = Field::kMagic;
  size_t have_ = 0;           // bytes of the current field gathered so far
  uint8_t numbers_[12] = {};  // magic, header or a size split across pieces
  uint8_t nameStore_[kMaxEntryNameBytes] = {};
  ByteView name_;  // into the current piece, or into nameStore_
  uint32_t nameSize_ = 0;
  uint32_t remaining_ = 0;  // entries still to read, then the current entry's data bytes
  uint32_t entriesLeft_ = 0;
  uint32_t flag_ = 0;
  int32_t index_ = -1;
  PackageResult failed_ = kPackageOk;
};

// The whole container at once; entries point into `container`. Nothing half-read is handed out.
[[nodiscard]] PackageResult ReadPackageArchive(ByteView container, PackageArchive& archive);

// A name is safe when it can only ever be one plain file inside the extraction folder: not empty, at most
// 259 units, no separator, drive or stream colon, wildcard or control character, not "." or "..", no trailing
// dot or space (Windows strips them, so two names could meet), and not a device such as "NUL" or "com1.txt".
// Checked on the raw ANSI bytes and again on the converted wide name.
bool IsSafeEntryName(const uint8_t* name, size_t size);
bool IsSafeEntryName(const wchar_t* name, size_t size);

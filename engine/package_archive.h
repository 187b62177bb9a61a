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

// Checks the whole container before anything trusts it; entries point into `container`.
[[nodiscard]] PackageResult ReadPackageArchive(ByteView container, PackageArchive& archive);

// A name is safe when it can only ever be one plain file inside the extraction folder: not empty, at most
// 259 units, no separator, drive or stream colon, wildcard or control character, not "." or "..", no trailing
// dot or space (Windows strips them, so two names could meet), and not a device such as "NUL" or "com1.txt".
// Checked on the raw ANSI bytes and again on the converted wide name.
bool IsSafeEntryName(const uint8_t* name, size_t size);
bool IsSafeEntryName(const wchar_t* name, size_t size);

#pragma once
// Builds packages: the "HEN" container and its LZMA-alone stream with the real size in the header.
// Used by the packager and by tests; it writes what it is given, so callers check names first.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/package_bytes.h"

void AppendPackageHeader(std::vector<uint8_t>& out, uint32_t entryCount, uint32_t selectionFlag = 0,
                         int32_t selectionIndex = -1);
void AppendPackageEntry(std::vector<uint8_t>& out, const std::string& name, ByteView data);

struct LzmaEncodeSettings {
  uint32_t preset = 6;
  uint32_t dictionarySize = uint32_t{8} << 20;
  uint32_t lc = 3, lp = 0, pb = 2;
};

// Called now and then with the container bytes consumed so far.
using EncodeProgress = std::function<void(uint64_t done, uint64_t total)>;

// Writes the 13-byte header (properties, dictionary, real size) and the raw LZMA data without an end marker.
// False when liblzma refuses the settings or runs out of memory.
[[nodiscard]] bool EncodeLzmaAlone(ByteView container, std::vector<uint8_t>& out,
                                   const LzmaEncodeSettings& settings = {}, const EncodeProgress& progress = {});

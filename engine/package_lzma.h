#pragma once
// The LZMA-alone layer of the package: the 13-byte header and a one-call decode into one buffer.
#include <cstdint>

#include "engine/package_bytes.h"
#include "engine/package_result.h"

inline constexpr size_t kLzmaAloneHeaderSize = 13;
inline constexpr uint64_t kLzmaUnknownSize = ~uint64_t{0};
// The shipped container is about 41 MB; these caps bound what a forged header can make us allocate
// in a 32-bit process while leaving room for the product to grow.
inline constexpr uint64_t kMaxPackageBytes = uint64_t{256} << 20;
inline constexpr uint32_t kMaxDictionaryBytes = uint32_t{256} << 20;

struct LzmaProperties {
  unsigned lc = 0;  // literal context bits
  unsigned lp = 0;  // literal position bits
  unsigned pb = 0;  // position bits
};

struct LzmaAloneHeader {
  uint8_t properties = 0;
  LzmaProperties split;
  uint32_t dictionarySize = 0;
  uint64_t uncompressedSize = 0;
};

// properties = lc + 9 * lp + 45 * pb.
LzmaProperties SplitLzmaProperties(uint8_t properties);
// 16-bit probabilities: 1846 fixed ones plus 768 per literal state.
size_t LzmaProbabilityTableBytes(const LzmaProperties& props);

// Reads and checks the header; on success the size is known, below the caps and decodable.
[[nodiscard]] PackageResult ReadLzmaAloneHeader(ByteView stream, LzmaAloneHeader& header);

// Decodes the whole stream in one call into a buffer of exactly the declared size.
// Anything short of all declared bytes from an intact stream is a failure.
[[nodiscard]] PackageResult DecodeLzmaAlone(ByteView stream, ByteBuffer& out);

#pragma once
// The LZMA-alone layer of the package: the 13-byte header and a one-call decode into one buffer.
#include <cstdint>

#include "engine/package_bytes.h"
#include "engine/package_result.h"

inline constexpr size_t kLzmaAloneHeaderSize = 13;
inline constexpr uint64_t kLzmaUnknownSize = ~uint64_t{0};
// What a forged header can make us allocate: the decoder's dictionary always; the output only where it is
// decoded into one buffer (extraction streams it, so the package's own size is not capped there).
inline constexpr uint64_t kMaxPackageBytes = uint64_t{256} << 20;
inline constexpr uint32_t kMaxDictionaryBytes = uint32_t{256} << 20;
// The decoder's output window: what is decoded between two hand-overs.
inline constexpr size_t kPackageWindowBytes = size_t{1} << 20;

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

// Reads and checks the header; on success the size is known, the dictionary below its cap and the
// properties decodable.
[[nodiscard]] PackageResult ReadLzmaAloneHeader(ByteView stream, LzmaAloneHeader& header);

// Takes decoded bytes as they come; any result other than kPackageOk stops the decoding with it.
class DecodedBytes {
 public:
  virtual ~DecodedBytes() = default;
  virtual PackageResult Take(ByteView bytes) = 0;
};

// Decodes the stream through a window of `windowBytes`, handing every filled window on. Anything short of all
// declared bytes from an intact stream is a failure (after the bytes before the damage were handed on).
[[nodiscard]] PackageResult DecodeLzmaAloneStream(ByteView stream, size_t windowBytes, DecodedBytes& out);

// The same into one buffer of exactly the declared size, which must be below kMaxPackageBytes.
[[nodiscard]] PackageResult DecodeLzmaAlone(ByteView stream, ByteBuffer& out);

#include "engine/package_lzma.h"

#include <lzma.h>

#include <algorithm>

LzmaProperties SplitLzmaProperties(uint8_t properties) {
  unsigned p = properties;
  LzmaProperties split;
  split.pb = p / 45;
  p %= 45;
  split.lp = p / 9;
  split.lc = p % 9;
  return split;
}

size_t LzmaProbabilityTableBytes(const LzmaProperties& props) {
  return 2 * (1846 + (size_t{768} << (props.lc + props.lp)));
}

PackageResult ReadLzmaAloneHeader(ByteView stream, LzmaAloneHeader& header) {
  if (stream.size < kLzmaAloneHeaderSize) return kPackageBadHeader;
  const uint8_t* p = stream.data;
  header.properties = p[0];
  header.split = SplitLzmaProperties(p[0]);
  header.dictionarySize = ReadLe32(p + 1);
  header.uncompressedSize = uint64_t(ReadLe32(p + 5)) | uint64_t(ReadLe32(p + 9)) << 32;

  // 225 and up give pb above 4; liblzma also refuses lc + lp above 4.
  if (header.properties >= 225 || header.split.lc + header.split.lp > LZMA_LCLP_MAX) return kPackageBadProperties;
  if (header.uncompressedSize == kLzmaUnknownSize) return kPackageUnknownSize;
  if (header.uncompressedSize > kMaxPackageBytes || header.dictionarySize > kMaxDictionaryBytes) {
    return kPackageTooLarge;
  }
  return kPackageOk;
}

PackageResult DecodeLzmaAlone(ByteView stream, ByteBuffer& out) {
  LzmaAloneHeader header;
  const PackageResult headerResult = ReadLzmaAloneHeader(stream, header);
  if (headerResult != kPackageOk) return headerResult;

  const size_t size = static_cast<size_t>(header.uncompressedSize);
  if (!out.Allocate(size)) return kPackageNoMemory;

  lzma_options_lzma options{};
  // Output never exceeds the declared size, so a larger window than that is never used: this keeps the
  // decoder's own allocation within the output's.
  options.dict_size = std::max<uint32_t>(LZMA_DICT_SIZE_MIN,
                                         std::min<uint64_t>(header.dictionarySize, header.uncompressedSize));
  options.lc = header.split.lc;
  options.lp = header.split.lp;
  options.pb = header.split.pb;
  // Some encoders end a sized stream with an end marker as well; a marker before the size still fails.
  options.ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
  lzma_set_ext_size(options, header.uncompressedSize);
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};

  size_t inPos = 0;
  size_t outPos = 0;
  const lzma_ret ret = lzma_raw_buffer_decode(filters, nullptr, stream.data + kLzmaAloneHeaderSize, &inPos,
                                              stream.size - kLzmaAloneHeaderSize, out.data(), &outPos, size);
  if (ret == LZMA_OK && outPos == size) return kPackageOk;
  out.Release();
  if (ret == LZMA_MEM_ERROR) return kPackageNoMemory;
  if (ret == LZMA_OPTIONS_ERROR) return kPackageBadProperties;
  return kPackageDecodeFailed;
}

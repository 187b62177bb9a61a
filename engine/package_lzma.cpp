#include "engine/package_lzma.h"

#include <lzma.h>

#include <algorithm>
#include <cstring>

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
  if (header.dictionarySize > kMaxDictionaryBytes) return kPackageTooLarge;
  return kPackageOk;
}

namespace {

PackageResult FromLzma(lzma_ret ret) {
  if (ret == LZMA_MEM_ERROR) return kPackageNoMemory;
  if (ret == LZMA_OPTIONS_ERROR) return kPackageBadProperties;
  return kPackageDecodeFailed;
}

class LzmaStream {
 public:
  ~LzmaStream() { lzma_end(&stream_); }
  lzma_stream* get() { return &stream_; }

 private:
  lzma_stream stream_ = LZMA_STREAM_INIT;
};

}  // namespace

PackageResult DecodeLzmaAloneStream(ByteView stream, size_t windowBytes, DecodedBytes& out) {
  LzmaAloneHeader header;
  const PackageResult headerResult = ReadLzmaAloneHeader(stream, header);
  if (headerResult != kPackageOk) return headerResult;

  lzma_options_lzma options{};
  // Output never exceeds the declared size, so a larger window than that is never used: this keeps the
  // decoder's own allocation within the output's.
  options.dict_size =
      std::max<uint32_t>(LZMA_DICT_SIZE_MIN, std::min<uint64_t>(header.dictionarySize, header.uncompressedSize));
  options.lc = header.split.lc;
  options.lp = header.split.lp;
  options.pb = header.split.pb;
  // Some encoders end a sized stream with an end marker as well; a marker before the size still fails.
  options.ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
  lzma_set_ext_size(options, header.uncompressedSize);
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};

  LzmaStream decoder;
  lzma_stream* s = decoder.get();
  lzma_ret ret = lzma_raw_decoder(s, filters);
  if (ret != LZMA_OK) return FromLzma(ret);

  ByteBuffer window;
  if (windowBytes == 0 || !window.Allocate(windowBytes)) return kPackageNoMemory;
  s->next_in = stream.data + kLzmaAloneHeaderSize;
  s->avail_in = stream.size - kLzmaAloneHeaderSize;
  for (;;) {
    s->next_out = window.data();
    s->avail_out = windowBytes;
    // The whole stream is there from the start, so every call may finish it.
    ret = lzma_code(s, LZMA_FINISH);
    const size_t produced = windowBytes - s->avail_out;
    if (produced > 0) {
      const PackageResult taken = out.Take({window.data(), produced});
      if (taken != kPackageOk) return taken;
    }
    if (ret == LZMA_STREAM_END) return kPackageOk;
    if (ret != LZMA_OK) return FromLzma(ret);
    if (produced == 0 && s->avail_in == 0) return kPackageDecodeFailed;  // ends before the declared size
  }
}

namespace {

class IntoBuffer : public DecodedBytes {
 public:
  explicit IntoBuffer(ByteBuffer& buffer) : buffer_(buffer) {}
  PackageResult Take(ByteView bytes) override {
    if (bytes.size > buffer_.size() - used_) return kPackageDecodeFailed;
    std::memcpy(buffer_.data() + used_, bytes.data, bytes.size);
    used_ += bytes.size;
    return kPackageOk;
  }
  size_t used() const { return used_; }

 private:
  ByteBuffer& buffer_;
  size_t used_ = 0;
};

}  // namespace

PackageResult DecodeLzmaAlone(ByteView stream, ByteBuffer& out) {
  LzmaAloneHeader header;
  const PackageResult headerResult = ReadLzmaAloneHeader(stream, header);
  if (headerResult != kPackageOk) return headerResult;
  if (header.uncompressedSize > kMaxPackageBytes) return kPackageTooLarge;
  if (!out.Allocate(static_cast<size_t>(header.uncompressedSize))) return kPackageNoMemory;
  IntoBuffer into(out);
  const PackageResult result = DecodeLzmaAloneStream(stream, kPackageWindowBytes, into);
  if (result == kPackageOk && into.used() == out.size()) return kPackageOk;
  out.Release();
  return result == kPackageOk ? kPackageDecodeFailed : result;
}

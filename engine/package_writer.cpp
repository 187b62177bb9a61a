#include "engine/package_writer.h"

#include <lzma.h>

#include <algorithm>

#include "engine/package_archive.h"

namespace {

void AppendLe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int k = 0; k < 4; ++k) out.push_back(uint8_t(v >> (8 * k)));
}

struct LzmaStream {
  lzma_stream s = LZMA_STREAM_INIT;
  ~LzmaStream() { lzma_end(&s); }
};

}  // namespace

void AppendPackageHeader(std::vector<uint8_t>& out, uint32_t entryCount, uint32_t selectionFlag,
                         int32_t selectionIndex) {
  out.insert(out.end(), kPackageMagic, kPackageMagic + 3);
  AppendLe32(out, entryCount);
  AppendLe32(out, selectionFlag);
  AppendLe32(out, static_cast<uint32_t>(selectionIndex));
}

void AppendPackageEntry(std::vector<uint8_t>& out, const std::string& name, ByteView data) {
  AppendLe32(out, static_cast<uint32_t>(name.size()));
  out.insert(out.end(), name.begin(), name.end());
  AppendLe32(out, static_cast<uint32_t>(data.size));
  if (data.size != 0) out.insert(out.end(), data.data, data.data + data.size);
}

bool EncodeLzmaAlone(ByteView container, std::vector<uint8_t>& out, const LzmaEncodeSettings& settings,
                     const EncodeProgress& progress) {
  lzma_options_lzma options{};
  if (lzma_lzma_preset(&options, settings.preset)) return false;
  options.dict_size = settings.dictionarySize;
  options.lc = settings.lc;
  options.lp = settings.lp;
  options.pb = settings.pb;
  options.ext_flags = 0;  // no end marker: the header carries the size
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};

  LzmaStream stream;
  if (lzma_raw_encoder(&stream.s, filters) != LZMA_OK) return false;

  out.clear();
  out.push_back(uint8_t(settings.lc + 9 * settings.lp + 45 * settings.pb));
  AppendLe32(out, settings.dictionarySize);
  const uint64_t size = container.size;
  AppendLe32(out, uint32_t(size));
  AppendLe32(out, uint32_t(size >> 32));

  // Fed in slices so the caller can show progress; output grows as it comes.
  constexpr size_t kSlice = size_t{1} << 20;
  constexpr size_t kOutChunk = size_t{1} << 20;
  size_t fed = 0;
  for (;;) {
    if (stream.s.avail_in == 0 && fed < container.size) {
      const size_t n = std::min(kSlice, container.size - fed);
      stream.s.next_in = container.data + fed;
      stream.s.avail_in = n;
      fed += n;
    }
    const size_t before = out.size();
    out.resize(before + kOutChunk);
    stream.s.next_out = out.data() + before;
    stream.s.avail_out = kOutChunk;
    const lzma_ret ret = lzma_code(&stream.s, fed == container.size ? LZMA_FINISH : LZMA_RUN);
    out.resize(before + (kOutChunk - stream.s.avail_out));
    if (progress) progress(fed - stream.s.avail_in, size);
    if (ret == LZMA_STREAM_END) return true;
    if (ret != LZMA_OK) return false;
  }
}

// Feeds arbitrary bytes to both package layers: as a container (whole, and streamed in two pieces split where
// the input says), and as an LZMA-alone stream read in one pass, whose outcome must match the whole-buffer
// readers' whenever either succeeds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/package_archive.h"
#include "engine/package_lzma.h"
#include "engine/package_stream.h"

namespace {

// Big declared sizes are covered by the header checks; decoding them would only slow the run down.
constexpr uint64_t kMaxFuzzDecode = uint64_t{1} << 20;

// Every entry as "name:size=bytes|".
class Transcript : public PackageSink {
 public:
  PackageResult BeginEntry(ByteView name, uint32_t size) override {
    if (!IsSafeEntryName(name.data, name.size)) __builtin_trap();
    text.append(reinterpret_cast<const char*>(name.data), name.size);
    text += ":" + std::to_string(size) + "=";
    return kPackageOk;
  }
  PackageResult Write(ByteView bytes) override {
    text.append(reinterpret_cast<const char*>(bytes.data), bytes.size);
    return kPackageOk;
  }
  PackageResult EndEntry() override {
    text += "|";
    return kPackageOk;
  }
  std::string text;
};

std::string Entries(const PackageArchive& archive, ByteView container) {
  const uint8_t* end = container.data + container.size;
  std::string text;
  for (const PackageEntry& e : archive.entries) {
    if (e.name.size == 0 || e.name.data < container.data || e.name.data + e.name.size > end ||
        e.data.data + e.data.size > end || !IsSafeEntryName(e.name.data, e.name.size)) {
      __builtin_trap();
    }
    text.append(reinterpret_cast<const char*>(e.name.data), e.name.size);
    text += ":" + std::to_string(e.data.size) + "=";
    text.append(reinterpret_cast<const char*>(e.data.data), e.data.size);
    text += "|";
  }
  return text;
}

void Container(ByteView bytes) {
  PackageArchive archive;
  const PackageResult whole = ReadPackageArchive(bytes, archive);
  Transcript transcript;
  PackageReader reader(transcript);
  const size_t split = bytes.size == 0 ? 0 : bytes.data[0] % bytes.size;
  PackageResult streamed = reader.Feed({bytes.data, split});
  if (streamed == kPackageOk) streamed = reader.Feed({bytes.data + split, bytes.size - split});
  if (streamed == kPackageOk) streamed = reader.Finish();
  if (streamed != whole) __builtin_trap();
  if (whole == kPackageOk && transcript.text != Entries(archive, bytes)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ByteView input{data, size};
  Container(input);

  LzmaAloneHeader header;
  if (ReadLzmaAloneHeader(input, header) != kPackageOk || header.uncompressedSize > kMaxFuzzDecode) return 0;
  Transcript streamed;
  const PackageResult oneBuffer = [&] {
    ByteBuffer out;
    PackageResult r = DecodeLzmaAlone(input, out);
    if (r != kPackageOk) return r;
    if (out.size() != header.uncompressedSize) __builtin_trap();
    PackageArchive archive;
    r = ReadPackageArchive(out.view(), archive);
    if (r == kPackageOk) {
      // The stream read in one pass through a small window gives the same entries.
      if (StreamPackage(input, streamed, 512) != kPackageOk || streamed.text != Entries(archive, out.view())) {
        __builtin_trap();
      }
    }
    return r;
  }();
  if (oneBuffer != kPackageOk) {
    Transcript again;
    if (StreamPackage(input, again, 512) == kPackageOk) __builtin_trap();
  }
  return 0;
}

// Feeds arbitrary bytes to both package layers: as a container, and as an LZMA-alone stream whose
// decoded bytes (when the header asks for little) go through the container reader again.
#include <cstddef>
#include <cstdint>

#include "engine/package_archive.h"
#include "engine/package_lzma.h"

namespace {

// Big declared sizes are covered by the header checks; decoding them would only slow the run down.
constexpr uint64_t kMaxFuzzDecode = uint64_t{1} << 20;

void CheckEntries(ByteView container, const PackageArchive& archive) {
  const uint8_t* end = container.data + container.size;
  for (const PackageEntry& e : archive.entries) {
    if (e.name.size == 0 || e.name.data < container.data || e.name.data + e.name.size > end ||
        e.data.data + e.data.size > end || !IsSafeEntryName(e.name.data, e.name.size)) {
      __builtin_trap();
    }
  }
}

void Container(ByteView bytes) {
  PackageArchive archive;
  if (ReadPackageArchive(bytes, archive) == kPackageOk) CheckEntries(bytes, archive);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ByteView input{data, size};
  Container(input);

  LzmaAloneHeader header;
  if (ReadLzmaAloneHeader(input, header) != kPackageOk || header.uncompressedSize > kMaxFuzzDecode) return 0;
  ByteBuffer out;
  if (DecodeLzmaAlone(input, out) == kPackageOk) {
    if (out.size() != header.uncompressedSize) __builtin_trap();
    Container(out.view());
  }
  return 0;
}

#include "engine/package_stream.h"

namespace {

class IntoReader : public DecodedBytes {
 public:
  explicit IntoReader(PackageReader& reader) : reader_(reader) {}
  PackageResult Take(ByteView bytes) override { return reader_.Feed(bytes); }

 private:
  PackageReader& reader_;
};

}  // namespace

PackageResult StreamPackage(ByteView stream, PackageSink& sink, size_t windowBytes) {
  PackageReader reader(sink);
  IntoReader into(reader);
  const PackageResult decoded = DecodeLzmaAloneStream(stream, windowBytes, into);
  if (decoded != kPackageOk) return decoded;
  return reader.Finish();
}

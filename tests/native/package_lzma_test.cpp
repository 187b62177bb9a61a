#include "engine/package_lzma.h"

#include <gtest/gtest.h>
#include <lzma.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/package_stream.h"
#include "engine/package_writer.h"
#include "package_transcript.h"

namespace {

std::vector<uint8_t> MixedBytes(size_t n) {
  std::vector<uint8_t> v(n);
  uint32_t x = 12345;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    // Runs of text among noise, so the encoder emits literals, matches and repeats.
    v[i] = (i / 512) % 3 == 0 ? uint8_t("Kelto Quorbel "[i % 14]) : uint8_t(x >> 24);
  }
  return v;
}

std::vector<uint8_t> Encode(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> stream;
  EXPECT_TRUE(EncodeLzmaAlone({data.data(), data.size()}, stream));
  return stream;
}

void PutLe32(std::vector<uint8_t>& v, size_t at, uint32_t value) {
  for (int k = 0; k < 4; ++k) v[at + k] = uint8_t(value >> (8 * k));
}

PackageResult HeaderOf(const std::vector<uint8_t>& bytes) {
  LzmaAloneHeader header;
  return ReadLzmaAloneHeader({bytes.data(), bytes.size()}, header);
}

PackageResult DecodeOf(const std::vector<uint8_t>& bytes, ByteBuffer& out) {
  return DecodeLzmaAlone({bytes.data(), bytes.size()}, out);
}

// Counts what the streaming decoder hands on, and the largest piece.
struct Discard : DecodedBytes {
  PackageResult Take(ByteView piece) override {
    bytes += piece.size;
    largest = std::max(largest, piece.size);
    return kPackageOk;
  }
  uint64_t bytes = 0;
  size_t largest = 0;
};

}  // namespace

TEST(LzmaProperties, SplitAndTableSize) {
  struct Case {
    uint8_t byte;
    unsigned lc, lp, pb;
    size_t table;
  };
  const Case cases[] = {
      {0x5D, 3, 0, 2, 15980},  // the shipped stream
      {0, 0, 0, 0, 2 * (1846 + 768)},
      {8, 8, 0, 0, 2 * (1846 + (768 << 8))},     // lc alone at its top
      {9, 0, 1, 0, 2 * (1846 + 768 * 2)},        // lp begins
      {44, 8, 4, 0, 2 * (1846 + (768 << 12))},   // last value without pb
      {45, 0, 0, 1, 2 * (1846 + 768)},           // pb begins
      {224, 8, 4, 4, 2 * (1846 + (768 << 12))},  // the largest valid byte
  };
  for (const Case& c : cases) {
    const LzmaProperties p = SplitLzmaProperties(c.byte);
    EXPECT_EQ(p.lc, c.lc) << int(c.byte);
    EXPECT_EQ(p.lp, c.lp) << int(c.byte);
    EXPECT_EQ(p.pb, c.pb) << int(c.byte);
    EXPECT_EQ(LzmaProbabilityTableBytes(p), c.table) << int(c.byte);
  }
}

TEST(LzmaAloneHeader, WrittenStreamCarriesShippedSettingsAndRealSize) {
  const std::vector<uint8_t> data = MixedBytes(70000);
  const std::vector<uint8_t> stream = Encode(data);
  ASSERT_GE(stream.size(), kLzmaAloneHeaderSize);
  const uint8_t expected[] = {0x5D, 0x00, 0x00, 0x80, 0x00, 0x70, 0x11, 0x01, 0x00, 0, 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(stream.data(), expected, sizeof expected));

  LzmaAloneHeader header;
  ASSERT_EQ(ReadLzmaAloneHeader({stream.data(), stream.size()}, header), kPackageOk);
  EXPECT_EQ(header.uncompressedSize, 70000u);
  EXPECT_EQ(header.dictionarySize, 8u << 20);
  EXPECT_EQ(header.split.lc, 3u);
  EXPECT_EQ(header.split.pb, 2u);
}

TEST(LzmaAloneHeader, RejectsWhatCannotBeDecodedSafely) {
  const std::vector<uint8_t> good = Encode(MixedBytes(1000));
  ASSERT_EQ(HeaderOf(good), kPackageOk);

  for (size_t n = 0; n < kLzmaAloneHeaderSize; ++n) {
    EXPECT_EQ(HeaderOf(std::vector<uint8_t>(good.begin(), good.begin() + n)), kPackageBadHeader) << n;
  }

  auto withProps = [&](uint8_t p) {
    std::vector<uint8_t> v = good;
    v[0] = p;
    return v;
  };
  EXPECT_EQ(HeaderOf(withProps(225)), kPackageBadProperties);
  EXPECT_EQ(HeaderOf(withProps(255)), kPackageBadProperties);
  EXPECT_EQ(HeaderOf(withProps(4 + 9 * 1)), kPackageBadProperties);  // lc 4 + lp 1
  EXPECT_EQ(HeaderOf(withProps(0 + 9 * 4)), kPackageOk);             // lc 0 + lp 4 is still decodable

  auto withSize = [&](uint32_t low, uint32_t high) {
    std::vector<uint8_t> v = good;
    PutLe32(v, 5, low);
    PutLe32(v, 9, high);
    return v;
  };
  EXPECT_EQ(HeaderOf(withSize(0xFFFFFFFF, 0xFFFFFFFF)), kPackageUnknownSize);
  // Extraction streams, so the header puts no cap on the size; only the one-buffer decoder does. A size the
  // stream does not give is damage either way, found without allocating it. Only the low half was ever used;
  // a high half must not be silently dropped.
  const struct {
    uint32_t low, high;
    PackageResult oneBuffer;
  } sizes[] = {
      {uint32_t(kMaxPackageBytes), 0, kPackageDecodeFailed},
      {uint32_t(kMaxPackageBytes) + 1, 0, kPackageTooLarge},
      {0xFFFFFFFF, 0, kPackageTooLarge},
      {1000, 1, kPackageTooLarge},
      {0xFFFFFFFF, 0x7FFFFFFF, kPackageTooLarge},
  };
  for (const auto& size : sizes) {
    const std::vector<uint8_t> forged = withSize(size.low, size.high);
    EXPECT_EQ(HeaderOf(forged), kPackageOk) << size.low << " " << size.high;
    ByteBuffer out;
    EXPECT_EQ(DecodeOf(forged, out), size.oneBuffer) << size.low << " " << size.high;
    Discard discard;
    EXPECT_EQ(DecodeLzmaAloneStream({forged.data(), forged.size()}, 4096, discard), kPackageDecodeFailed);
    EXPECT_EQ(discard.bytes, 1000u);  // what the stream holds, handed on before the damage was known
  }

  auto withDictionary = [&](uint32_t d) {
    std::vector<uint8_t> v = good;
    PutLe32(v, 1, d);
    return v;
  };
  EXPECT_EQ(HeaderOf(withDictionary(kMaxDictionaryBytes)), kPackageOk);
  EXPECT_EQ(HeaderOf(withDictionary(kMaxDictionaryBytes + 1)), kPackageTooLarge);
  EXPECT_EQ(HeaderOf(withDictionary(0xFFFFFFFF)), kPackageTooLarge);
}

TEST(LzmaAloneDecode, RoundTripsIntoBufferOfDeclaredSize) {
  for (size_t n : {size_t{0}, size_t{1}, size_t{4096}, size_t{300000}}) {
    const std::vector<uint8_t> data = MixedBytes(n);
    ByteBuffer out;
    ASSERT_EQ(DecodeOf(Encode(data), out), kPackageOk) << n;
    ASSERT_EQ(out.size(), n);
    EXPECT_TRUE(n == 0 || std::memcmp(out.data(), data.data(), n) == 0) << n;
  }
}

TEST(LzmaAloneDecode, HeaderDictionaryLargerThanOutputIsNotNeeded) {
  // The window is capped at the output size; the stream still decodes.
  const std::vector<uint8_t> data = MixedBytes(5000);
  std::vector<uint8_t> stream = Encode(data);
  PutLe32(stream, 1, kMaxDictionaryBytes);
  ByteBuffer out;
  ASSERT_EQ(DecodeOf(stream, out), kPackageOk);
  EXPECT_EQ(0, std::memcmp(out.data(), data.data(), data.size()));
}

TEST(LzmaAloneDecode, AcceptsEndMarkerAfterDeclaredSize) {
  const std::vector<uint8_t> data = MixedBytes(20000);
  lzma_options_lzma options{};
  ASSERT_FALSE(lzma_lzma_preset(&options, 1));
  options.ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;  // encoder: write the marker
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  std::vector<uint8_t> stream(kLzmaAloneHeaderSize + data.size() + 1024);
  size_t pos = kLzmaAloneHeaderSize;
  ASSERT_EQ(lzma_raw_buffer_encode(filters, nullptr, data.data(), data.size(), stream.data(), &pos, stream.size()),
            LZMA_OK);
  stream.resize(pos);
  stream[0] = 0x5D;
  PutLe32(stream, 1, options.dict_size);
  PutLe32(stream, 5, uint32_t(data.size()));
  PutLe32(stream, 9, 0);
  ByteBuffer out;
  ASSERT_EQ(DecodeOf(stream, out), kPackageOk);
  EXPECT_EQ(0, std::memcmp(out.data(), data.data(), data.size()));
}

TEST(LzmaAloneDecode, RejectsStreamsThatGiveFewerBytesThanDeclared) {
  const std::vector<uint8_t> data = MixedBytes(100000);
  const std::vector<uint8_t> good = Encode(data);
  ByteBuffer out;

  std::vector<uint8_t> longer = good;
  PutLe32(longer, 5, uint32_t(data.size() + 1));
  EXPECT_EQ(DecodeOf(longer, out), kPackageDecodeFailed);

  // A forged size near the cap over a tiny body must fail without needing the memory to be touched.
  std::vector<uint8_t> huge = good;
  PutLe32(huge, 5, uint32_t(kMaxPackageBytes));
  huge.resize(64);
  EXPECT_EQ(DecodeOf(huge, out), kPackageDecodeFailed);

  for (size_t keep : {kLzmaAloneHeaderSize, kLzmaAloneHeaderSize + 5, good.size() / 2, good.size() - 1}) {
    EXPECT_EQ(DecodeOf(std::vector<uint8_t>(good.begin(), good.begin() + keep), out), kPackageDecodeFailed) << keep;
  }
}

TEST(LzmaAloneDecode, DeclaredSizeBelowTheDataIsDamageToo) {
  // The size must match the stream: stopping early leaves the range coder mid-stream.
  const std::vector<uint8_t> data = MixedBytes(10000);
  std::vector<uint8_t> stream = Encode(data);
  PutLe32(stream, 5, 6000);
  ByteBuffer out;
  EXPECT_EQ(DecodeOf(stream, out), kPackageDecodeFailed);
}

// --- the package in one pass ---------------------------------------------------------------------------------

namespace {

std::vector<uint8_t> ContainerOf(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files,
                                 uint32_t count) {
  std::vector<uint8_t> out;
  AppendPackageHeader(out, count, 0, -1);
  for (const auto& [name, data] : files) AppendPackageEntry(out, name, {data.data(), data.size()});
  return out;
}

std::string Stream(const std::vector<uint8_t>& stream, size_t window) {
  TranscriptSink sink;
  const PackageResult result = StreamPackage({stream.data(), stream.size()}, sink, window);
  EXPECT_LE(sink.largest, window);
  return sink.text + "#" + std::to_string(result);
}

}  // namespace

TEST(StreamPackage, GivesEveryEntryWhateverTheWindowAndEndsLikeTheWholeBufferReaders) {
  const std::vector<uint8_t> big = MixedBytes(70017);
  const std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {{"Kelto Quorbel.exe", big},
                                                                           {"empty.dat", {}},
                                                                           {"config.xml", {'<', 'c', '/', '>'}},
                                                                           {"dup", {1}},
                                                                           {"dup", {2, 3}}};
  const std::vector<uint8_t> container = ContainerOf(files, 5);
  const std::string expected = Stream(Encode(container), kPackageWindowBytes);
  EXPECT_EQ(expected.substr(expected.size() - 2), "#1");
  EXPECT_NE(expected.find("Kelto Quorbel.exe:70017="), std::string::npos);
  for (size_t window : {size_t{13}, size_t{4096}}) {
    EXPECT_EQ(Stream(Encode(container), window), expected) << "window " << window;
  }

  // What stops the whole-buffer readers stops the stream with the same code; entries before it were given whole.
  std::vector<uint8_t> unsafe = ContainerOf({{"a.txt", {'a'}}, {"..\\evil.exe", {'x'}}}, 2);
  EXPECT_EQ(Stream(Encode(unsafe), 1), "a.txt:1=a|#27");
  EXPECT_EQ(Stream(Encode(ContainerOf({{"a.txt", {'a'}}}, 2)), 7), "a.txt:1=a|#26");
  std::vector<uint8_t> noMagic = container;
  noMagic[0] = 'X';
  EXPECT_EQ(Stream(Encode(noMagic), 4096), "#9");
  EXPECT_EQ(Stream(Encode({'H', 'E'}), 4096), "#9");
  // The container's own length field is cut short by the end of the stream.
  EXPECT_EQ(Stream(Encode(std::vector<uint8_t>(container.begin(), container.begin() + 20)), 4096), "#26");
}

TEST(StreamPackage, DamageAnywhereInTheStreamFailsEvenAfterTheLastEntry) {
  std::vector<uint8_t> container = ContainerOf({{"a.bin", MixedBytes(200000)}}, 1);
  const std::vector<uint8_t> tail = MixedBytes(50000);
  container.insert(container.end(), tail.begin(), tail.end());  // not part of any entry, still decoded
  const std::vector<uint8_t> good = Encode(container);
  const std::string whole = Stream(good, 4096);
  ASSERT_EQ(whole.substr(whole.size() - 2), "#1");
  for (size_t keep : {good.size() / 2, good.size() - 1}) {
    const std::string cut = Stream(std::vector<uint8_t>(good.begin(), good.begin() + keep), 4096);
    EXPECT_EQ(cut.substr(cut.size() - 3), "#25") << keep;
  }
  std::vector<uint8_t> flipped = good;
  flipped[flipped.size() - 40] ^= 0x55;  // in the tail's share of the stream
  const std::string damaged = Stream(flipped, 4096);
  EXPECT_NE(damaged.substr(damaged.size() - 2), "#1");
}

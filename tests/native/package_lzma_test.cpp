#include "engine/package_lzma.h"

#include <gtest/gtest.h>
#include <lzma.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/package_writer.h"

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

}  // namespace

TEST(LzmaProperties, SplitAndTableSize) {
  struct Case {
    uint8_t byte;
    unsigned lc, lp, pb;
    size_t table;
  };
  const Case cases[] = {
      {0x5D, 3, 0, 2, 15980},                    // the shipped stream
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
  EXPECT_EQ(HeaderOf(withProps(0 + 9 * 4)), kPackageOk);              // lc 0 + lp 4 is still decodable

  auto withSize = [&](uint32_t low, uint32_t high) {
    std::vector<uint8_t> v = good;
    PutLe32(v, 5, low);
    PutLe32(v, 9, high);
    return v;
  };
  EXPECT_EQ(HeaderOf(withSize(0xFFFFFFFF, 0xFFFFFFFF)), kPackageUnknownSize);
  EXPECT_EQ(HeaderOf(withSize(uint32_t(kMaxPackageBytes), 0)), kPackageOk);
  EXPECT_EQ(HeaderOf(withSize(uint32_t(kMaxPackageBytes) + 1, 0)), kPackageTooLarge);
  EXPECT_EQ(HeaderOf(withSize(0xFFFFFFFF, 0)), kPackageTooLarge);
  // Only the low half was ever used; a high half must not be silently dropped.
  EXPECT_EQ(HeaderOf(withSize(1000, 1)), kPackageTooLarge);
  EXPECT_EQ(HeaderOf(withSize(0xFFFFFFFF, 0x7FFFFFFF)), kPackageTooLarge);

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

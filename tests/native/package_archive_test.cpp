#include "engine/package_archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/package_writer.h"
#include "package_transcript.h"

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;

std::vector<uint8_t> Container(const Files& files, uint32_t flag = 0, int32_t index = -1) {
  std::vector<uint8_t> out;
  AppendPackageHeader(out, static_cast<uint32_t>(files.size()), flag, index);
  for (const auto& [name, data] : files) {
    AppendPackageEntry(out, name, {reinterpret_cast<const uint8_t*>(data.data()), data.size()});
  }
  return out;
}

std::string Str(ByteView v) { return std::string(reinterpret_cast<const char*>(v.data), v.size); }

// The bytes fed to a PackageReader in pieces of `piece` bytes, each piece a heap block of its own.
std::string ReadInPieces(const std::vector<uint8_t>& bytes, size_t size, size_t piece, PackageResult& result) {
  TranscriptSink sink;
  PackageReader reader(sink);
  result = kPackageOk;
  for (size_t at = 0; at < size && result == kPackageOk; at += piece) {
    const size_t n = std::min(piece, size - at);
    std::unique_ptr<uint8_t[]> copy(new uint8_t[n]);
    std::memcpy(copy.get(), bytes.data() + at, n);
    result = reader.Feed({copy.get(), n});
  }
  if (result == kPackageOk) result = reader.Finish();
  return sink.text + "#" + std::to_string(result);
}

// The reader sees exactly `size` bytes on the heap, so any read past them trips the sanitizer. Every case is
// also read as a stream in pieces that split each field (1 and 7 bytes), which must end the same way and
// tell the same entries as the whole-buffer read.
PackageResult ReadExact(const std::vector<uint8_t>& bytes, size_t size, PackageArchive& archive) {
  std::unique_ptr<uint8_t[]> copy(new uint8_t[size == 0 ? 1 : size]);
  if (size) std::memcpy(copy.get(), bytes.data(), size);
  const PackageResult r = ReadPackageArchive({copy.get(), size}, archive);
  PackageResult whole = kPackageOk;
  const std::string transcript = ReadInPieces(bytes, size, size == 0 ? 1 : size, whole);
  EXPECT_EQ(whole, r);
  for (size_t piece : {size_t{1}, size_t{7}}) {
    PackageResult streamed = kPackageOk;
    EXPECT_EQ(ReadInPieces(bytes, size, piece, streamed), transcript) << "pieces of " << piece;
  }
  if (r == kPackageOk) {
    std::string fromArchive;
    for (const PackageEntry& e : archive.entries) {
      fromArchive += Str(e.name) + ":" + std::to_string(e.data.size) + "=" + Str(e.data) + "|";
    }
    EXPECT_EQ(fromArchive + "#1", transcript);
  }
  archive.entries.clear();  // they point into `copy`
  return r;
}

PackageResult Read(const std::vector<uint8_t>& bytes, PackageArchive& archive) {
  ReadExact(bytes, bytes.size(), archive);
  return ReadPackageArchive({bytes.data(), bytes.size()}, archive);
}

bool Safe(const std::string& name) {
  return IsSafeEntryName(reinterpret_cast<const uint8_t*>(name.data()), name.size());
}

}  // namespace

TEST(PackageArchive, ReadsEntriesInOrderWithTheirBytes) {
  const Files files = {{"Kelto Quorbel.exe", std::string("MZ\0\x90", 4)}, {"empty.dat", ""}, {"Readme.txt", "hi"}};
  const std::vector<uint8_t> bytes = Container(files);
  PackageArchive archive;
  ASSERT_EQ(Read(bytes, archive), kPackageOk);
  EXPECT_EQ(archive.selectionFlag, 0u);
  EXPECT_EQ(archive.selectionIndex, -1);
  ASSERT_EQ(archive.entries.size(), 3u);
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(Str(archive.entries[i].name), files[i].first);
    EXPECT_EQ(Str(archive.entries[i].data), files[i].second);
  }
  // A size-0 entry is still an entry, with an empty span inside the container.
  EXPECT_EQ(archive.entries[1].data.size, 0u);
}

TEST(PackageArchive, EmptyCountAndSelectionFields) {
  PackageArchive archive;
  ASSERT_EQ(Read(Container({}), archive), kPackageOk);
  EXPECT_TRUE(archive.entries.empty());

  // The selection fields are carried and change nothing about the entries.
  const Files files = {{"a.bin", "1"}, {"b.bin", "22"}};
  PackageArchive plain, selected;
  const std::vector<uint8_t> withoutSelection = Container(files);
  ASSERT_EQ(Read(withoutSelection, plain), kPackageOk);
  const std::vector<uint8_t> withSelection = Container(files, 7, 1);
  ASSERT_EQ(Read(withSelection, selected), kPackageOk);
  EXPECT_EQ(selected.selectionFlag, 7u);
  EXPECT_EQ(selected.selectionIndex, 1);
  ASSERT_EQ(selected.entries.size(), plain.entries.size());
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(Str(selected.entries[i].name), Str(plain.entries[i].name));
    EXPECT_EQ(Str(selected.entries[i].data), Str(plain.entries[i].data));
  }
}

TEST(PackageArchive, DuplicateNamesAreKeptInOrder) {
  // Both come back, first to last, so a writer that follows the order leaves the later one on disk.
  PackageArchive archive;
  const std::vector<uint8_t> bytes = Container({{"same.txt", "old"}, {"other", "x"}, {"same.txt", "new"}});
  ASSERT_EQ(Read(bytes, archive), kPackageOk);
  ASSERT_EQ(archive.entries.size(), 3u);
  EXPECT_EQ(Str(archive.entries[0].data), "old");
  EXPECT_EQ(Str(archive.entries[2].data), "new");
}

TEST(PackageArchive, MagicMustBeHen) {
  PackageArchive archive;
  for (const std::string head : {"", "H", "HE", "HEM", "hen", "NEH", "HEn"}) {
    std::vector<uint8_t> bytes = Container({{"a", "b"}});
    std::memcpy(bytes.data(), head.data(), std::min<size_t>(3, head.size()));
    if (head.size() < 3) bytes.resize(head.size());
    EXPECT_EQ(Read(bytes, archive), kPackageBadMagic) << head;
  }
}

TEST(PackageArchive, NameLengthLimits) {
  PackageArchive archive;
  const std::string longest(kMaxEntryNameBytes, 'n');
  ASSERT_EQ(Read(Container({{longest, "x"}}), archive), kPackageOk);
  EXPECT_EQ(archive.entries[0].name.size, 259u);
  EXPECT_EQ(Read(Container({{longest + "n", "x"}}), archive), kPackageBadName);
  EXPECT_EQ(Read(Container({{"", "x"}}), archive), kPackageBadName);

  // A forged length is refused before it is used to reach for bytes.
  std::vector<uint8_t> bytes = Container({});
  bytes[3] = 1;
  for (uint8_t b : {0xFF, 0xFF, 0xFF, 0xFF}) bytes.push_back(b);
  EXPECT_EQ(ReadExact(bytes, bytes.size(), archive), kPackageBadName);
}

TEST(PackageArchive, UnsafeNamesRejectTheWholePackage) {
  const std::string bad[] = {".",
                             "..",
                             "..\\evil.txt",
                             "../evil.txt",
                             "a\\b",
                             "a/b",
                             "C:evil",
                             "file.txt:stream",
                             std::string("a\0b", 3),
                             "tab\there",
                             "\x7F",
                             "a*b",
                             "a?b",
                             "a|b",
                             "a<b",
                             "a>b",
                             "a\"b",
                             "trailing.",
                             "trailing ",
                             " .",
                             "NUL",
                             "nul",
                             "nul.txt",
                             "CON",
                             "con.tar.gz",
                             "PRN",
                             "AUX",
                             "CONIN$",
                             "conout$",
                             "COM1",
                             "com9.log",
                             "LPT1",
                             "lpt0",
                             "NUL .txt",
                             "COM\xB9"};
  PackageArchive archive;
  for (const std::string& name : bad) {
    EXPECT_FALSE(Safe(name)) << name;
    // Placed second, so an earlier good entry does not make the package pass.
    EXPECT_EQ(Read(Container({{"fine.txt", "1"}, {name, "2"}}), archive), kPackageBadName) << name;
  }
}

TEST(PackageArchive, OrdinaryNamesAreAccepted) {
  for (const std::string name :
       {"Kelto Quorbel.exe", "Uninstall.exe", "config.xml", "a", "..a", "a..b", ".hidden", "COM10", "LPT",
        "CONSOLE.txt", "nul1", "AUXILIARY", "x.nul", "\xE9t\xE9.txt", " leading space"}) {
    EXPECT_TRUE(Safe(name)) << name;
  }
}

TEST(PackageArchive, WideNamesFollowTheSameRules) {
  auto safe = [](const std::wstring& w) { return IsSafeEntryName(w.data(), w.size()); };
  EXPECT_TRUE(safe(L"Kelto Quorbel.exe"));
  // Characters whose low byte is a separator or wildcard are ordinary characters.
  EXPECT_TRUE(safe(L"\u015C\u012A\u013A.txt"));
  EXPECT_TRUE(safe(std::wstring(259, L'\u00E9')));
  EXPECT_FALSE(safe(std::wstring(260, L'\u00E9')));
  EXPECT_FALSE(safe(L"..\\evil.txt"));
  EXPECT_FALSE(safe(L"a/b"));
  EXPECT_FALSE(safe(L"COM\u00B2"));
  EXPECT_FALSE(safe(L"lpt3.txt"));
  EXPECT_FALSE(safe(L".."));
}

TEST(PackageArchive, EveryTruncationPointGivesADefinedResult) {
  const std::vector<uint8_t> bytes =
      Container({{"first.bin", std::string(40, '\x01')}, {"empty", ""}, {"last.txt", "tail"}}, 1, 5);
  PackageArchive archive;
  ASSERT_EQ(ReadExact(bytes, bytes.size(), archive), kPackageOk);
  for (size_t n = 0; n < bytes.size(); ++n) {
    const PackageResult expected = n < 3 ? kPackageBadMagic : kPackageTruncated;
    EXPECT_EQ(ReadExact(bytes, n, archive), expected) << "cut at " << n;
  }
}

TEST(PackageArchive, CountsAndSizesBeyondTheBytesAreTruncation) {
  PackageArchive archive;
  std::vector<uint8_t> bytes = Container({{"a.txt", "abc"}});
  bytes[3] = 2;  // claims one more entry than is there
  EXPECT_EQ(ReadExact(bytes, bytes.size(), archive), kPackageTruncated);

  bytes[3] = bytes[4] = bytes[5] = bytes[6] = 0xFF;  // four billion entries must not size anything up front
  EXPECT_EQ(ReadExact(bytes, bytes.size(), archive), kPackageTruncated);

  std::vector<uint8_t> sized = Container({{"a.txt", "abc"}});
  const size_t dataSizeAt = kPackageHeaderSize + 4 + 5;
  for (uint32_t forged : {4u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    for (int k = 0; k < 4; ++k) sized[dataSizeAt + k] = uint8_t(forged >> (8 * k));
    EXPECT_EQ(ReadExact(sized, sized.size(), archive), kPackageTruncated) << forged;
  }

  std::vector<uint8_t> named = Container({{"abcdef", ""}});
  named[kPackageHeaderSize] = 200;  // name length past the end
  EXPECT_EQ(ReadExact(named, named.size(), archive), kPackageTruncated);
}

TEST(PackageArchive, BytesAfterTheLastEntryAreIgnored) {
  std::vector<uint8_t> bytes = Container({{"a.txt", "abc"}});
  bytes.insert(bytes.end(), {'x', 'y', 'z'});
  PackageArchive archive;
  ASSERT_EQ(Read(bytes, archive), kPackageOk);
  ASSERT_EQ(archive.entries.size(), 1u);
  EXPECT_EQ(Str(archive.entries[0].data), "abc");
}

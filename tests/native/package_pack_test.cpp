// Runs the real packager and reads its output back with the extractor's own readers.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "engine/package_archive.h"
#include "engine/package_lzma.h"

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::vector<uint8_t> Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Spit(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class PackTool : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "kelto-pack-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    root_ = tmpl;
    in_ = root_ / "in";
    fs::create_directory(in_);
    out_ = root_ / "out.pkg";
  }
  void TearDown() override { fs::remove_all(root_); }

  // Exit status of kelto-pack with these arguments.
  int Pack(const std::string& args) {
    const std::string cmd = Quote(KELTO_PACK_EXE) + " " + args + " >" + Quote((root_ / "stdout").string()) + " 2>" +
                            Quote((root_ / "stderr").string());
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // name -> bytes, in package order, from the output file.
  std::vector<std::pair<std::string, std::string>> Unpack() {
    std::vector<std::pair<std::string, std::string>> files;
    const std::vector<uint8_t> stream = Slurp(out_);
    ByteBuffer container;
    EXPECT_EQ(DecodeLzmaAlone({stream.data(), stream.size()}, container), kPackageOk);
    PackageArchive archive;
    EXPECT_EQ(ReadPackageArchive(container.view(), archive), kPackageOk);
    EXPECT_EQ(archive.selectionFlag, 0u);
    EXPECT_EQ(archive.selectionIndex, -1);
    for (const PackageEntry& e : archive.entries) {
      files.emplace_back(std::string(reinterpret_cast<const char*>(e.name.data), e.name.size),
                         std::string(reinterpret_cast<const char*>(e.data.data), e.data.size));
    }
    return files;
  }

  std::string Stderr() {
    const std::vector<uint8_t> b = Slurp(root_ / "stderr");
    return std::string(b.begin(), b.end());
  }

  fs::path root_, in_, out_;
};

std::string Binary(size_t n, uint32_t seed) {
  std::string s(n, '\0');
  for (char& c : s) {
    seed = seed * 1664525u + 1013904223u;
    c = char(seed >> 24);
  }
  return s;
}

}  // namespace

TEST_F(PackTool, FolderRoundTripsSortedWithRealSizeInHeader) {
  const std::map<std::string, std::string> files = {{"Kelto Quorbel.exe", Binary(300000, 1)},
                                                    {"Readme.txt", "read me\r\n"},
                                                    {"empty.dat", ""},
                                                    {"B.dll", Binary(5000, 2)},
                                                    {"a.bin", std::string(70000, 'a')}};
  for (const auto& [name, bytes] : files) Spit(in_ / name, bytes);

  ASSERT_EQ(Pack(Quote(in_.string()) + " -o " + Quote(out_.string())), 0) << Stderr();

  const std::vector<uint8_t> stream = Slurp(out_);
  ASSERT_GE(stream.size(), kLzmaAloneHeaderSize);
  EXPECT_EQ(stream[0], 0x5D);
  LzmaAloneHeader header;
  ASSERT_EQ(ReadLzmaAloneHeader({stream.data(), stream.size()}, header), kPackageOk);
  EXPECT_EQ(header.dictionarySize, 8u << 20);
  size_t containerSize = kPackageHeaderSize;
  for (const auto& [name, bytes] : files) containerSize += 8 + name.size() + bytes.size();
  EXPECT_EQ(header.uncompressedSize, containerSize);

  // std::map orders by bytes, as the packager must.
  const auto unpacked = Unpack();
  ASSERT_EQ(unpacked.size(), files.size());
  auto it = files.begin();
  for (const auto& [name, bytes] : unpacked) {
    EXPECT_EQ(name, it->first);
    EXPECT_TRUE(bytes == it->second) << name;
    ++it;
  }

  // Same input, same bytes.
  const fs::path second = root_ / "again.pkg";
  ASSERT_EQ(Pack(Quote(in_.string()) + " -o " + Quote(second.string())), 0);
  EXPECT_TRUE(Slurp(second) == stream);
}

TEST_F(PackTool, ListFileNamesFilesByTheirOwnName) {
  fs::create_directory(root_ / "sub");
  Spit(root_ / "sub" / "z.txt", "zed");
  Spit(in_ / "m.txt", "em");
  Spit(root_ / "abs.bin", Binary(100, 3));
  const fs::path list = root_ / "files.lst";
  Spit(list, "# payload\r\n\r\nsub/z.txt\r\nin/m.txt\n" + (root_ / "abs.bin").string() + "\n");

  ASSERT_EQ(Pack("-l " + Quote(list.string()) + " -o " + Quote(out_.string())), 0) << Stderr();
  const auto unpacked = Unpack();
  ASSERT_EQ(unpacked.size(), 3u);
  EXPECT_EQ(unpacked[0].first, "abs.bin");
  EXPECT_EQ(unpacked[0].second, Binary(100, 3));
  EXPECT_EQ(unpacked[1].first, "m.txt");
  EXPECT_EQ(unpacked[1].second, "em");
  EXPECT_EQ(unpacked[2].first, "z.txt");
  EXPECT_EQ(unpacked[2].second, "zed");
}

TEST_F(PackTool, EmptyFolderGivesEmptyPackage) {
  ASSERT_EQ(Pack(Quote(in_.string()) + " -o " + Quote(out_.string())), 0) << Stderr();
  EXPECT_TRUE(Unpack().empty());
}

TEST_F(PackTool, RefusesWhatTheSetupCouldNotExtract) {
  // A file outside the product folder that a link could carry into the published setup.
  const fs::path secret = root_ / "signing-key.pem";
  Spit(secret, "PRIVATE KEY");
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> make;
    std::string says;  // in its one line of error, when given
  };
  const Case cases[] = {
      {"sub-folder", [](const fs::path& d) { fs::create_directory(d / "nested"); }, ""},
      {"trailing dot", [](const fs::path& d) { Spit(d / "name.", "x"); }, ""},
      {"device name", [](const fs::path& d) { Spit(d / "aux.txt", "x"); }, ""},
      {"backslash", [](const fs::path& d) { Spit(d / "a\\b", "x"); }, ""},
      {"colon", [](const fs::path& d) { Spit(d / "a:b", "x"); }, ""},
      {"names equal but for case",
       [](const fs::path& d) {
         Spit(d / "Setup.ini", "x");
         Spit(d / "setup.INI", "y");
       },
       ""},
      {"link to a file", [&](const fs::path& d) { fs::create_symlink(secret, d / "key.pem"); },
       "key.pem: symbolic links can't be packed"},
      {"link to a folder", [&](const fs::path& d) { fs::create_directory_symlink(root_, d / "more"); },
       "more: symbolic links can't be packed"},
      {"dangling link", [](const fs::path& d) { fs::create_symlink("nowhere.dll", d / "gone.dll"); },
       "gone.dll: symbolic links can't be packed"},
  };
  for (const Case& c : cases) {
    fs::remove_all(in_);
    fs::create_directory(in_);
    Spit(in_ / "good.txt", "fine");
    c.make(in_);
    EXPECT_EQ(Pack(Quote(in_.string()) + " -o " + Quote(out_.string())), 1) << c.what;
    EXPECT_FALSE(fs::exists(out_)) << c.what;
    if (!c.says.empty()) {
      const std::string error = Stderr();
      EXPECT_NE(error.find(c.says), std::string::npos) << c.what << ": " << error;
      EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << c.what << ": " << error;
    }
  }
}

TEST_F(PackTool, RefusesBadListsAndUsage) {
  const fs::path list = root_ / "files.lst";
  Spit(list, "missing.bin\n");
  EXPECT_EQ(Pack("-l " + Quote(list.string()) + " -o " + Quote(out_.string())), 1);
  Spit(root_ / "one.txt", "1");
  Spit(in_ / "one.txt", "2");
  Spit(list, "one.txt\nin/one.txt\n");
  EXPECT_EQ(Pack("-l " + Quote(list.string()) + " -o " + Quote(out_.string())), 1);
  EXPECT_FALSE(fs::exists(out_));
  // A listed link is refused as in a folder.
  fs::create_symlink(root_ / "one.txt", root_ / "link.txt");
  Spit(list, "in/one.txt\nlink.txt\n");
  EXPECT_EQ(Pack("-l " + Quote(list.string()) + " -o " + Quote(out_.string())), 1);
  EXPECT_NE(Stderr().find("link.txt: symbolic links can't be packed"), std::string::npos) << Stderr();
  EXPECT_FALSE(fs::exists(out_));

  EXPECT_EQ(Pack(Quote(in_.string())), 2);
  EXPECT_EQ(Pack("-o " + Quote(out_.string())), 2);
  EXPECT_EQ(Pack("-l " + Quote(list.string()) + " " + Quote(in_.string()) + " -o " + Quote(out_.string())), 2);
  EXPECT_EQ(Pack(Quote(in_.string()) + " -o"), 2);
}

// --check holds the names against the product's file table as Windows compares them, without regard to case;
// families (the language files) count for every language of the catalogue.
TEST_F(PackTool, CheckRefusesAProductWithoutARequiredFileAndNamesFilesNoStepTakes) {
  const std::vector<std::string> complete = {"Kelto Quorbel.exe", "uninstall.EXE",
                                             "Readme_FR.txt",     "Sign Here.pdf",
                                             "lang_de_de.xml",    "OnDemandPluginlang_fr_fr.xml",
                                             "kqmvpr_drv64.dll",  "InPDFReaderPlugin.exe"};
  const struct Case {
    const char* what;
    std::vector<std::string> drop, add;
    int status;
    std::string says;  // its one line on stderr; empty: nothing there
  } cases[] = {
      {"every required file", {}, {}, 0, ""},
      {"no uninstaller", {"uninstall.EXE"}, {}, 1, "the product lacks \"Uninstall.exe\", which every install needs"},
      {"neither program",
       {"uninstall.EXE", "Kelto Quorbel.exe"},
       {"notes.txt"},
       1,
       "the product lacks \"Kelto Quorbel.exe\", \"Uninstall.exe\", which every install needs"},
      {"files no step takes",
       {},
       {"notes.txt", "kqmcreator_lang_xx_yy.xml"},
       0,
       "warning: the setup never installs \"kqmcreator_lang_xx_yy.xml\", \"notes.txt\""},
  };
  for (const Case& c : cases) {
    fs::remove_all(in_);
    fs::create_directory(in_);
    fs::remove(out_);
    for (const std::string& name : complete) {
      if (std::find(c.drop.begin(), c.drop.end(), name) == c.drop.end()) Spit(in_ / name, name);
    }
    for (const std::string& name : c.add) Spit(in_ / name, name);
    EXPECT_EQ(Pack("--check " + Quote(in_.string()) + " -o " + Quote(out_.string())), c.status) << c.what;
    EXPECT_EQ(fs::exists(out_), c.status == 0) << c.what;
    const std::string error = Stderr();
    const std::string last = error.substr(error.rfind('\n', error.size() - 2) + 1);
    EXPECT_EQ(last, c.says.empty() ? "" : "kelto-pack: " + c.says + "\n") << c.what << ": " << error;
  }
  // Without --check any folder packs, as before.
  Spit(in_ / "notes.txt", "x");
  fs::remove(in_ / "Kelto Quorbel.exe");
  EXPECT_EQ(Pack(Quote(in_.string()) + " -o " + Quote(out_.string())), 0) << Stderr();
  EXPECT_EQ(Stderr(), "");
}

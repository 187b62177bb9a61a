// kelto-pack: builds the setup's package stream from a flat folder of files or from a list file.
//   kelto-pack [--check] [-l listfile | folder] -o out.pkg
// --check holds the files against the product's file table first: a product without a file every install needs
// is refused, and files no step of the setup takes are named in a warning.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/package_archive.h"
#include "engine/package_lzma.h"
#include "engine/package_writer.h"
#include "engine/product_files.h"

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kProgressThreshold = uint64_t{8} << 20;

struct Input {
  std::string name;  // entry name: the file's own name
  fs::path path;
};

struct Options {
  std::string listFile;
  std::string folder;
  std::string output;
  bool check = false;
};

int Usage() {
  std::fprintf(stderr, "usage: kelto-pack [--check] [-l listfile | folder] -o out.pkg\n");
  return 2;
}

bool Fail(const std::string& message) {
  std::fprintf(stderr, "kelto-pack: %s\n", message.c_str());
  return false;
}

bool ParseArgs(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--check") {
      options.check = true;
    } else if ((arg == "-l" || arg == "-o") && i + 1 < argc) {
      (arg == "-l" ? options.listFile : options.output) = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && options.folder.empty()) {
      options.folder = arg;
    } else {
      return false;
    }
  }
  return !options.output.empty() && (options.listFile.empty() != options.folder.empty());
}

// What lies in the product folder goes into a setup.exe that is published: a link would carry whatever it
// points at (a key, a file of the build machine) under a harmless name.
bool RefuseLink(const fs::path& path) {
  return Fail(path.string() + ": symbolic links can't be packed, copy the file itself into the folder");
}

bool AddInput(const fs::path& path, std::vector<Input>& inputs) {
  const std::string name = path.filename().string();
  std::error_code ec;
  const fs::file_status own = fs::symlink_status(path, ec);
  if (ec) return Fail(path.string() + ": " + ec.message());
  if (fs::is_symlink(own)) return RefuseLink(path);
  const fs::file_status status = fs::status(path, ec);
  if (ec) return Fail(path.string() + ": " + ec.message());
  if (fs::is_directory(status)) return Fail(path.string() + ": sub-folders can't be packed, the package is flat");
  if (!fs::is_regular_file(status)) return Fail(path.string() + ": not a regular file");
  if (!IsSafeEntryName(reinterpret_cast<const uint8_t*>(name.data()), name.size())) {
    return Fail(path.string() + ": \"" + name + "\" is not a name the setup can extract");
  }
  if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
    std::fprintf(stderr, "kelto-pack: warning: \"%s\" is not ASCII; the setup reads it in the ANSI code page\n",
                 name.c_str());
  }
  inputs.push_back({name, path});
  return true;
}

bool GatherFolder(const fs::path& folder, std::vector<Input>& inputs) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) return Fail(folder.string() + ": " + ec.message());
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (!AddInput(it->path(), inputs)) return false;
  }
  if (ec) return Fail(folder.string() + ": " + ec.message());
  return true;
}

// One path per line, relative to the list file's folder; blank lines and lines starting with '#' are skipped.
bool GatherList(const fs::path& listFile, std::vector<Input>& inputs) {
  std::ifstream in(listFile);
  if (!in) return Fail(listFile.string() + ": " + std::strerror(errno));
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    fs::path path(line);
    if (path.is_relative()) path = listFile.parent_path() / path;
    if (!AddInput(path, inputs)) return false;
  }
  return true;
}

// Sorted by name bytes so the same files always give the same package. Windows folds case, so names that
// differ only in case would silently overwrite each other there.
bool SortAndCheck(std::vector<Input>& inputs) {
  std::sort(inputs.begin(), inputs.end(), [](const Input& a, const Input& b) { return a.name < b.name; });
  auto folded = [](std::string s) {
    for (char& c : s) c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
    return s;
  };
  std::vector<std::string> keys;
  for (const Input& input : inputs) keys.push_back(folded(input.name));
  std::sort(keys.begin(), keys.end());
  const auto dup = std::adjacent_find(keys.begin(), keys.end());
  if (dup != keys.end()) return Fail("two files are named \"" + *dup + "\" (ignoring case)");
  return true;
}

std::string Listed(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "\"" : ", \"") + name + "\"";
  return text;
}

// A setup built from a folder without the main program or the uninstaller would stop every user's install.
bool CheckAgainstTable(const std::vector<Input>& inputs) {
  std::vector<std::string> names;
  for (const Input& input : inputs) names.push_back(input.name);
  const ProductFolderCheck check = CheckProductFolder(names);
  if (!check.unused.empty()) {
    std::fprintf(stderr, "kelto-pack: warning: the setup never installs %s\n", Listed(check.unused).c_str());
  }
  if (check.missing.empty()) return true;
  return Fail("the product lacks " + Listed(check.missing) + ", which every install needs");
}

// The file's bytes, opened without following a link: one put in place of the file since it was listed is
// refused too.
bool ReadRegularFile(const fs::path& path, std::vector<uint8_t>& data) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return errno == ELOOP ? RefuseLink(path) : Fail(path.string() + ": " + std::strerror(errno));
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (!ok) Fail(path.string() + ": not a regular file");
  char buffer[1 << 16];
  while (ok) {
    const ssize_t got = ::read(fd, buffer, sizeof(buffer));
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      ok = Fail(path.string() + ": read error");
      break;
    }
    data.insert(data.end(), buffer, buffer + got);
  }
  ::close(fd);
  return ok;
}

bool BuildContainer(const std::vector<Input>& inputs, std::vector<uint8_t>& container) {
  AppendPackageHeader(container, static_cast<uint32_t>(inputs.size()));
  for (const Input& input : inputs) {
    std::vector<uint8_t> data;
    if (!ReadRegularFile(input.path, data)) return false;
    // Checked as we go so a huge folder fails before it is all in memory.
    if (container.size() + 8 + input.name.size() + data.size() > kMaxPackageBytes) {
      return Fail("the files exceed the " + std::to_string(kMaxPackageBytes >> 20) +
                  " MiB the setup accepts for a package");
    }
    AppendPackageEntry(container, input.name, {data.data(), data.size()});
  }
  return true;
}

class ProgressBar {
 public:
  explicit ProgressBar(bool enabled) : enabled_(enabled) {}
  void Update(uint64_t done, uint64_t total) {
    if (!enabled_ || total == 0) return;
    const int percent = static_cast<int>(done * 100 / total);
    if (percent == shown_) return;
    shown_ = percent;
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(filled, '#').c_str(), std::string(kWidth - filled, ' ').c_str(),
                 percent);
    std::fflush(stderr);
  }
  ~ProgressBar() {
    if (enabled_ && shown_ >= 0) std::fprintf(stderr, "\r%60s\r", "");
  }

 private:
  bool enabled_;
  int shown_ = -1;
};

bool WriteOutput(const std::string& output, const std::vector<uint8_t>& stream) {
  // Written beside the target and renamed, so a failed run never leaves a half package under the real name.
  const std::string partial = output + ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(stream.data()), static_cast<std::streamsize>(stream.size()));
    if (!out.flush()) {
      std::remove(partial.c_str());
      return Fail(output + ": can't write");
    }
  }
  std::error_code ec;
  fs::rename(partial, output, ec);
  if (ec) {
    std::remove(partial.c_str());
    return Fail(output + ": " + ec.message());
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseArgs(argc, argv, options)) return Usage();

  std::vector<Input> inputs;
  const bool gathered =
      options.folder.empty() ? GatherList(options.listFile, inputs) : GatherFolder(options.folder, inputs);
  if (!gathered || !SortAndCheck(inputs)) return 1;
  if (options.check && !CheckAgainstTable(inputs)) return 1;

  std::vector<uint8_t> container;
  if (!BuildContainer(inputs, container)) return 1;

  std::vector<uint8_t> stream;
  {
    ProgressBar bar(::isatty(STDERR_FILENO) && container.size() >= kProgressThreshold);
    const bool encoded = EncodeLzmaAlone({container.data(), container.size()}, stream, {},
                                         [&bar](uint64_t done, uint64_t total) { bar.Update(done, total); });
    if (!encoded) {
      Fail("LZMA encoding failed");
      return 1;
    }
  }
  if (!WriteOutput(options.output, stream)) return 1;

  std::printf("kelto-pack: %zu entries, %zu bytes in, %zu bytes out, ratio %.1f%%\n", inputs.size(), container.size(),
              stream.size(), container.empty() ? 0.0 : 100.0 * double(stream.size()) / double(container.size()));
  return 0;
}

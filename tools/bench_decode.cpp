// kelto-bench-decode: times the in-process decode of a package file (what the setup does before writing
// files), for comparison with other decoders. Prints figures only.
//   kelto-bench-decode package.pkg [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "engine/package_archive.h"
#include "engine/package_lzma.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kelto-bench-decode package.pkg [runs]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  std::ifstream in(argv[1], std::ios::binary | std::ios::ate);
  std::vector<uint8_t> stream(in ? static_cast<size_t>(in.tellg()) : 0);
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(stream.data()), static_cast<std::streamsize>(stream.size())) || stream.empty()) {
    std::fprintf(stderr, "kelto-bench-decode: can't read %s\n", argv[1]);
    return 1;
  }

  std::vector<double> seconds;
  size_t decoded = 0;
  size_t entries = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    ByteBuffer container;
    const PackageResult decodeResult = DecodeLzmaAlone({stream.data(), stream.size()}, container);
    PackageArchive archive;
    const PackageResult readResult =
        decodeResult == kPackageOk ? ReadPackageArchive(container.view(), archive) : decodeResult;
    seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (readResult != kPackageOk) {
      std::fprintf(stderr, "kelto-bench-decode: result %d\n", readResult);
      return 1;
    }
    decoded = container.size();
    entries = archive.entries.size();
  }
  std::sort(seconds.begin(), seconds.end());
  const double median = seconds[seconds.size() / 2];
  std::printf("in-process decode: %zu entries, %zu -> %zu bytes, median %.3f s of %d (min %.3f, max %.3f), %.1f MB/s\n",
              entries, stream.size(), decoded, median, runs, seconds.front(), seconds.back(), decoded / median / 1e6);
  return 0;
}

// kelto-bench-decode: times the setup's one-pass read of a package file natively (decode through the window
// and read the container, the files' bytes discarded), for comparison with other decoders. Figures only.
//   kelto-bench-decode package.pkg [runs]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "engine/package_stream.h"

namespace {

struct Count : PackageSink {
  PackageResult BeginEntry(ByteView, uint32_t) override {
    ++entries;
    return kPackageOk;
  }
  PackageResult Write(ByteView bytes) override {
    decoded += bytes.size;
    return kPackageOk;
  }
  PackageResult EndEntry() override { return kPackageOk; }
  size_t entries = 0;
  size_t decoded = 0;
};

}  // namespace

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
  Count count;
  for (int i = 0; i < runs; ++i) {
    count = Count();
    const auto start = std::chrono::steady_clock::now();
    const PackageResult result = StreamPackage({stream.data(), stream.size()}, count);
    seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (result != kPackageOk) {
      std::fprintf(stderr, "kelto-bench-decode: result %d\n", result);
      return 1;
    }
  }
  std::sort(seconds.begin(), seconds.end());
  const double median = seconds[seconds.size() / 2];
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf(
      "native one-pass read: %zu entries, %zu -> %zu bytes, median %.3f s of %d (min %.3f, max %.3f), "
      "%.1f MB/s, peak RSS %.1f MB (the package file read into memory included)\n",
      count.entries, stream.size(), count.decoded, median, runs, seconds.front(), seconds.back(),
      count.decoded / median / 1e6, usage.ru_maxrss / 1024.0);
  return 0;
}

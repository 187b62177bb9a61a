// bench_extract.exe PACKAGE [runs]: times ExtractPackage under Wine on a package mapped into memory the way
// the loader maps the setup's own resource, and reports the peak memory of the process. Figures only.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/extract_package.h"
#include "framework/base/handles.h"

namespace {

void DeleteTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  UniqueFind find(::FindFirstFileW((folder + L"*").c_str(), &data));
  if (find) {
    do {
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      ::DeleteFileW((folder + data.cFileName).c_str());
    } while (::FindNextFileW(find.get(), &data));
  }
  ::RemoveDirectoryW(folder.c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::printf("usage: bench_extract.exe PACKAGE [runs]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
  UniqueHandle file(::CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) {
    std::printf("cannot open the package (%lu)\n", ::GetLastError());
    return 1;
  }
  LARGE_INTEGER size{};
  ::GetFileSizeEx(file.get(), &size);
  UniqueHandle mapping(::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  const void* view = mapping ? ::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0) : nullptr;
  if (!view) {
    std::printf("cannot map the package (%lu)\n", ::GetLastError());
    return 1;
  }
  const ByteView stream{static_cast<const uint8_t*>(view), static_cast<size_t>(size.QuadPart)};

  std::vector<double> seconds;
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  for (int run = 0; run < runs; ++run) {
    std::wstring folder;
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    const PackageResult result = ExtractPackage(folder, stream);
    ::QueryPerformanceCounter(&end);
    if (result != 1) {
      std::printf("ExtractPackage failed with %d\n", static_cast<int>(result));
      return 1;
    }
    seconds.push_back(double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
    DeleteTree(folder);
  }
  ::UnmapViewOfFile(view);
  std::sort(seconds.begin(), seconds.end());
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
  std::printf("ExtractPackage under Wine: median %.3f s over %d runs (min %.3f, max %.3f)\n", seconds[seconds.size() / 2],
              runs, seconds.front(), seconds.back());
  std::printf("peak working set %.1f MB, peak pagefile usage %.1f MB (package %.1f MB, mapped)\n",
              counters.PeakWorkingSetSize / 1048576.0, counters.PeakPagefileUsage / 1048576.0,
              size.QuadPart / 1048576.0);
  return 0;
}

// bench_extract.exe: figures for tools/bench_extract.sh under Wine, nothing asserted.
//   bench_extract.exe extract PACKAGE RUNS   ExtractPackage on the package mapped as the loader maps a resource
//   bench_extract.exe floor PACKAGE RUNS     the same stream decoded into one file: the floor for decode and write
//   bench_extract.exe run RUNS COMMAND       a whole program, started and waited for (e.g. another installer)
//   bench_extract.exe window RUNS COMMAND    from start to the program's first visible window, which is then closed
// Each mode reports the median time and the peak working set of the process that did the work.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/extract_package.h"
#include "engine/package_lzma.h"
#include "framework/base/handles.h"

namespace {

double Now() {
  LARGE_INTEGER frequency, counter;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return double(counter.QuadPart) / double(frequency.QuadPart);
}

double PeakMb(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  ::GetProcessMemoryInfo(process, &counters, sizeof(counters));
  return counters.PeakWorkingSetSize / 1048576.0;
}

void Report(const char* what, std::vector<double> seconds, double peakMb) {
  std::sort(seconds.begin(), seconds.end());
  std::printf("%s: median %.3f s over %zu runs (min %.3f, max %.3f), peak working set %.1f MB\n", what,
              seconds[seconds.size() / 2], seconds.size(), seconds.front(), seconds.back(), peakMb);
}

void DeleteFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  UniqueFind find(::FindFirstFileW((folder + L"*").c_str(), &data));
  if (find) {
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ::DeleteFileW((folder + data.cFileName).c_str());
    } while (::FindNextFileW(find.get(), &data));
  }
  ::RemoveDirectoryW(folder.c_str());
}

class Mapped {
 public:
  explicit Mapped(const wchar_t* path) {
    UniqueHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size)) return;
    UniqueHandle mapping(::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    view_ = mapping ? ::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0) : nullptr;
    size_ = static_cast<size_t>(size.QuadPart);
  }
  ~Mapped() {
    if (view_) ::UnmapViewOfFile(view_);
  }
  ByteView bytes() const { return {static_cast<const uint8_t*>(view_), size_}; }
  bool ok() const { return view_ != nullptr; }

 private:
  const void* view_ = nullptr;
  size_t size_ = 0;
};

class IntoFile : public DecodedBytes {
 public:
  explicit IntoFile(HANDLE file) : file_(file) {}
  PackageResult Take(ByteView bytes) override {
    DWORD done = 0;
    return ::WriteFile(file_, bytes.data, static_cast<DWORD>(bytes.size), &done, nullptr) && done == bytes.size
               ? kPackageOk
               : kPackageEntryWriteFailed;
  }

 private:
  HANDLE file_;
};

int Extract(const wchar_t* package, int runs, bool floor) {
  const Mapped mapped(package);
  if (!mapped.ok()) {
    std::printf("cannot map %ls (%lu)\n", package, ::GetLastError());
    return 1;
  }
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring out = std::wstring(temp) + L"kelto-bench-floor.bin";
  std::vector<double> seconds;
  for (int run = 0; run < runs; ++run) {
    PackageResult result;
    std::wstring folder;
    const double start = Now();
    if (floor) {
      UniqueHandle file(::CreateFileW(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
      IntoFile into(file.get());
      result = file ? DecodeLzmaAloneStream(mapped.bytes(), kPackageWindowBytes, into) : kPackageEntryNotCreated;
    } else {
      result = ExtractPackage(folder, mapped.bytes());
    }
    seconds.push_back(Now() - start);
    if (floor) ::DeleteFileW(out.c_str());
    if (!folder.empty()) DeleteFolder(folder);
    if (result != kPackageOk) {
      std::printf("failed with %d\n", static_cast<int>(result));
      return 1;
    }
  }
  Report(floor ? "liblzma stream into one file (the floor)" : "ExtractPackage", seconds, PeakMb(::GetCurrentProcess()));
  return 0;
}

struct FindWindow {
  DWORD process;
  bool found;
};

BOOL CALLBACK VisibleOf(HWND window, LPARAM param) {
  auto* find = reinterpret_cast<FindWindow*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == find->process && ::IsWindowVisible(window)) {
    find->found = true;
    return FALSE;
  }
  return TRUE;
}

int Launch(int runs, std::wstring command, bool untilWindow) {
  std::vector<double> seconds;
  double peak = 0;
  for (int run = 0; run < runs; ++run) {
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION info{};
    std::wstring line = command;
    const double start = Now();
    if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
      std::printf("cannot start %ls (%lu)\n", command.c_str(), ::GetLastError());
      return 1;
    }
    UniqueHandle process(info.hProcess), thread(info.hThread);
    if (untilWindow) {
      FindWindow find{info.dwProcessId, false};
      while (!find.found && ::WaitForSingleObject(process.get(), 2) == WAIT_TIMEOUT) {
        ::EnumWindows(VisibleOf, reinterpret_cast<LPARAM>(&find));
      }
      seconds.push_back(Now() - start);
      if (!find.found) {
        std::printf("%ls ended without showing a window\n", command.c_str());
        return 1;
      }
      peak = std::max(peak, PeakMb(process.get()));
      ::TerminateProcess(process.get(), 0);
      ::WaitForSingleObject(process.get(), 10000);
    } else {
      ::WaitForSingleObject(process.get(), INFINITE);
      seconds.push_back(Now() - start);
      peak = std::max(peak, PeakMb(process.get()));
    }
  }
  Report(untilWindow ? "to the first visible window" : "whole process", seconds, peak);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if ((mode == L"extract" || mode == L"floor") && argc == 4) {
    return Extract(argv[2], std::max(1, _wtoi(argv[3])), mode == L"floor");
  }
  if ((mode == L"run" || mode == L"window") && argc >= 4) {
    std::wstring command;
    for (int i = 3; i < argc; ++i) command += (i > 3 ? L" " : L"") + std::wstring(argv[i]);
    return Launch(std::max(1, _wtoi(argv[2])), command, mode == L"window");
  }
  std::printf("usage: bench_extract.exe extract|floor PACKAGE RUNS | run|window RUNS COMMAND...\n");
  return 2;
}

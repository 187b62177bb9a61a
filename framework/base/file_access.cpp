#include "framework/base/file_access.h"

#include <vector>

#include "framework/base/handles.h"
#include "framework/base/path_text.h"

namespace {

// Language files are a few kilobytes; anything this large is not one.
constexpr LONGLONG kMaxFileSize = 32LL * 1024 * 1024;

const wchar_t* AsWide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

}  // namespace

std::u16string RunningProgramFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::u16string();
    if (length < buffer.size()) {
      const std::u16string path(reinterpret_cast<const char16_t*>(buffer.data()), length);
      return SetupFolderOf(path);
    }
    if (buffer.size() >= 32768) return std::u16string();
    buffer.resize(buffer.size() * 2);
  }
}

bool ReadWholeFile(const std::u16string& path, std::string& bytes) {
  bytes.clear();
  const UniqueHandle file(
      CreateFileW(AsWide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > kMaxFileSize) return false;
  bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    if (!ReadFile(file.get(), &bytes[done], static_cast<DWORD>(bytes.size() - done), &read, nullptr)) return false;
    if (read == 0) break;
    done += read;
  }
  bytes.resize(done);
  return true;
}

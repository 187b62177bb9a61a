#pragma once
// Byte views and owned buffers shared by the package readers and writers.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

struct ByteView {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// An owned block that is not zero-filled: a buffer sized from a header is only paid for where it is written.
class ByteBuffer {
 public:
  [[nodiscard]] bool Allocate(size_t size) {
    bytes_.reset(new (std::nothrow) uint8_t[size == 0 ? 1 : size]);
    size_ = bytes_ ? size : 0;
    return bytes_ != nullptr;
  }
  void Release() {
    bytes_.reset();
    size_ = 0;
  }
  uint8_t* data() { return bytes_.get(); }
  const uint8_t* data() const { return bytes_.get(); }
  size_t size() const { return size_; }
  ByteView view() const { return {bytes_.get(), size_}; }

 private:
  std::unique_ptr<uint8_t[]> bytes_;
  size_t size_ = 0;
};

inline uint32_t ReadLe32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

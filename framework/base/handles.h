#pragma once
// Owners for Win32 handles: each closes what it holds on every path.
#include <windows.h>

#include <utility>

template <typename Traits>
class UniqueResource {
 public:
  using Type = typename Traits::Type;
  UniqueResource() = default;
  explicit UniqueResource(Type value) : value_(value) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueResource() { reset(); }

  [[nodiscard]] bool valid() const { return !Traits::IsEmpty(value_); }
  explicit operator bool() const { return valid(); }
  Type get() const { return value_; }
  Type* receive() {
    reset();
    return &value_;
  }
  [[nodiscard]] Type release() { return std::exchange(value_, Traits::Empty()); }
  void reset(Type value = Traits::Empty()) {
    if (!Traits::IsEmpty(value_)) Traits::Close(value_);
    value_ = value;
  }

 private:
  Type value_ = Traits::Empty();
};

// Kernel handles come in two flavours of "nothing": NULL (processes, events) and INVALID_HANDLE_VALUE (files).
struct HandleTraits {
  using Type = HANDLE;
  static Type Empty() { return nullptr; }
  static bool IsEmpty(Type h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::CloseHandle(h); }
};
struct FindTraits {
  using Type = HANDLE;
  static Type Empty() { return INVALID_HANDLE_VALUE; }
  static bool IsEmpty(Type h) { return h == INVALID_HANDLE_VALUE || h == nullptr; }
  static void Close(Type h) { ::FindClose(h); }
};
struct RegKeyTraits {
  using Type = HKEY;
  static Type Empty() { return nullptr; }
  static bool IsEmpty(Type h) { return h == nullptr; }
  static void Close(Type h) { ::RegCloseKey(h); }
};
struct ModuleTraits {
  using Type = HMODULE;
  static Type Empty() { return nullptr; }
  static bool IsEmpty(Type h) { return h == nullptr; }
  static void Close(Type h) { ::FreeLibrary(h); }
};
struct GdiTraits {
  using Type = HGDIOBJ;
  static Type Empty() { return nullptr; }
  static bool IsEmpty(Type h) { return h == nullptr; }
  static void Close(Type h) { ::DeleteObject(h); }
};
struct IconTraits {
  using Type = HICON;
  static Type Empty() { return nullptr; }
  static bool IsEmpty(Type h) { return h == nullptr; }
  static void Close(Type h) { ::DestroyIcon(h); }
};

using UniqueHandle = UniqueResource<HandleTraits>;
using UniqueFind = UniqueResource<FindTraits>;
using UniqueKey = UniqueResource<RegKeyTraits>;
using UniqueModule = UniqueResource<ModuleTraits>;
using UniqueGdi = UniqueResource<GdiTraits>;
using UniqueIcon = UniqueResource<IconTraits>;

// Runs a callable when the scope ends, unless dismissed.
template <typename F>
class ScopeExit {
 public:
  explicit ScopeExit(F f) : f_(std::move(f)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() {
    if (armed_) f_();
  }
  void dismiss() { armed_ = false; }

 private:
  F f_;
  bool armed_ = true;
};

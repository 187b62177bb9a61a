#pragma once
// Owners for Win32 handles: each closes what it holds on every path.
#include <windows.h>
#include <objbase.h>
#include <winspool.h>

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
  // The close keeps the last error, so a failure read after the owner went away is still the call's own.
  void reset(Type value = Traits::Empty()) {
    if (!Traits::IsEmpty(value_)) {
      const DWORD error = ::GetLastError();
      Traits::Close(value_);
      ::SetLastError(error);
    }
    value_ = value;
  }

 private:
  Type value_ = Traits::Empty();
};

// One line per handle kind: its type and its close function; NULL is "nothing".
template <typename T, auto CloseFn>
struct CloseWith {
  using Type = T;
  static Type Empty() { return nullptr; }
  static bool IsEmpty(Type h) { return h == Empty(); }
  static void Close(Type h) { CloseFn(h); }
};

// Kernel handles come in two flavours of "nothing": NULL (processes, events) and INVALID_HANDLE_VALUE (files).
struct HandleTraits : CloseWith<HANDLE, &::CloseHandle> {
  static bool IsEmpty(Type h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }
};
struct FindTraits : CloseWith<HANDLE, &::FindClose> {
  static Type Empty() { return INVALID_HANDLE_VALUE; }
  static bool IsEmpty(Type h) { return h == INVALID_HANDLE_VALUE || h == nullptr; }
};

using UniqueHandle = UniqueResource<HandleTraits>;
using UniqueFind = UniqueResource<FindTraits>;
using UniqueKey = UniqueResource<CloseWith<HKEY, &::RegCloseKey>>;
using UniqueModule = UniqueResource<CloseWith<HMODULE, &::FreeLibrary>>;
using UniqueGdi = UniqueResource<CloseWith<HGDIOBJ, &::DeleteObject>>;
using UniqueIcon = UniqueResource<CloseWith<HICON, &::DestroyIcon>>;
using UniquePrinter = UniqueResource<CloseWith<HANDLE, &::ClosePrinter>>;

// Releases a COM interface when the scope ends.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() { reset(); }
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  void** receive() {
    reset();
    return reinterpret_cast<void**>(&p_);
  }
  void reset() {
    if (!p_) return;
    const DWORD error = ::GetLastError();
    std::exchange(p_, nullptr)->Release();
    ::SetLastError(error);
  }

 private:
  T* p_ = nullptr;
};

// CoInitialize and its matching CoUninitialize; a thread already in another apartment keeps it.
class ComScope {
 public:
  ComScope() : initialized_(SUCCEEDED(::CoInitialize(nullptr))) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (initialized_) ::CoUninitialize();
  }

 private:
  bool initialized_;
};

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

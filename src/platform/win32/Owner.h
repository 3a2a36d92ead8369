#pragma once
// Brings in the COM and automation declarations as well (no WIN32_LEAN_AND_MEAN).
#include <windows.h>

#include <utility>
#include <vector>

namespace MorlaventMenu {

// Owns one resource and gives it up through `Policy` when it goes; moves, never copies.
// A policy names the resource's Storage, sets the empty state (Init) and gives a resource
// up (Close, which must do nothing on the empty state).
template <typename Policy>
class Owner {
 public:
  using Storage = typename Policy::Storage;

  Owner() noexcept { Policy::Init(storage_); }
  // Takes over a resource that the caller owns.
  explicit Owner(Storage adopted) noexcept : storage_(std::move(adopted)) {}
  ~Owner() { Policy::Close(storage_); }

  Owner(Owner&& other) noexcept : storage_(std::move(other.storage_)) {
    Policy::Init(other.storage_);
  }
  Owner& operator=(Owner&& other) noexcept {
    if (this != &other) {
      Policy::Close(storage_);
      storage_ = std::move(other.storage_);
      Policy::Init(other.storage_);
    }
    return *this;
  }
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;

  Storage& Get() noexcept { return storage_; }
  const Storage& Get() const noexcept { return storage_; }
  // For pointer storages only.
  Storage operator->() const noexcept { return storage_; }
  explicit operator bool() const noexcept { return storage_ != Storage(); }

  // Gives up what is held and hands out the empty storage for a call to fill.
  Storage* Put() noexcept {
    Reset();
    return &storage_;
  }
  void Reset() noexcept {
    Policy::Close(storage_);
    Policy::Init(storage_);
  }
  // Hands the resource to the caller, who must give it up.
  Storage Detach() noexcept {
    Storage detached = std::move(storage_);
    Policy::Init(storage_);
    return detached;
  }

 private:
  Storage storage_;
};

template <typename T>
struct ReleasePolicy {
  using Storage = T*;
  static void Init(T*& pointer) noexcept { pointer = nullptr; }
  static void Close(T*& pointer) noexcept {
    if (pointer != nullptr) pointer->Release();
  }
};

struct BstrPolicy {
  using Storage = BSTR;
  static void Init(BSTR& text) noexcept { text = nullptr; }
  static void Close(BSTR& text) noexcept { SysFreeString(text); }
};

struct VariantPolicy {
  using Storage = VARIANT;
  static void Init(VARIANT& value) noexcept { VariantInit(&value); }
  static void Close(VARIANT& value) noexcept { VariantClear(&value); }
};

// Argument lists: IDispatch::Invoke reads them as one array of VARIANTs.
struct VariantListPolicy {
  using Storage = std::vector<VARIANT>;
  static void Init(Storage& values) noexcept { values.clear(); }
  static void Close(Storage& values) noexcept {
    for (VARIANT& value : values) VariantClear(&value);
  }
};

struct ExceptionInfoPolicy {
  using Storage = EXCEPINFO;
  static void Init(EXCEPINFO& info) noexcept { info = EXCEPINFO(); }
  static void Close(EXCEPINFO& info) noexcept {
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
  }
};

template <typename T>
using ComPtr = Owner<ReleasePolicy<T>>;
using Bstr = Owner<BstrPolicy>;
using Variant = Owner<VariantPolicy>;
using VariantList = Owner<VariantListPolicy>;
using ExceptionInfo = Owner<ExceptionInfoPolicy>;

// Shares a pointer that the caller holds: the new owner takes a reference of its own.
template <typename T>
ComPtr<T> Retain(T* pointer) noexcept {
  if (pointer != nullptr) pointer->AddRef();
  return ComPtr<T>(pointer);
}

}  // namespace MorlaventMenu

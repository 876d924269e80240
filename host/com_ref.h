// Owning holder of one COM reference. Copying is deleted so that a reference can
// never be released twice; ownership moves explicitly.
#pragma once

#include <unknwn.h>

#include <utility>

namespace refhost {

template <class T> class ComRef {
 public:
  ComRef() = default;
  // Adopts a reference the caller already holds.
  explicit ComRef(T* adopted) : p_(adopted) {}
  ~ComRef() { Reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ComRef(ComRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComRef& operator=(ComRef&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }

  // Takes a new reference on an object owned elsewhere.
  static ComRef Retain(T* p) {
    if (p) p->AddRef();
    return ComRef(p);
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  // For out-parameters of COM calls: drops the current reference first.
  T** put() {
    Reset();
    return &p_;
  }
  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }

 private:
  T* p_ = nullptr;
};

}  // namespace refhost

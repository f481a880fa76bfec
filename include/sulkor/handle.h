// Shared, reference-counted handles to host objects. Using a null handle as an object throws
// HostError instead of crashing, which is how a missing host object ("nothing") behaves.
#pragma once

#include <memory>
#include <string>
#include <typeinfo>

#include "sulkor/error.h"

namespace sulkor {

// Base of every object that the host creates or hands out.
class HostObject {
 public:
  virtual ~HostObject() = default;
};

template <class T>
class Handle {
 public:
  Handle() = default;
  Handle(std::nullptr_t) {}  // NOLINT: "nothing" converts implicitly, as in the host
  Handle(std::shared_ptr<T> p) : p_(std::move(p)) {}  // NOLINT
  template <class U>
    requires std::is_convertible_v<U*, T*>
  Handle(const Handle<U>& other) : p_(other.shared()) {}  // NOLINT

  T* operator->() const { return &Get(); }
  T& operator*() const { return Get(); }
  T& Get() const {
    if (!p_) throw HostError(std::string("a host object is missing (") + typeid(T).name() + ")");
    return *p_;
  }

  explicit operator bool() const { return static_cast<bool>(p_); }
  bool IsNothing() const { return !p_; }
  const std::shared_ptr<T>& shared() const { return p_; }
  void Reset() { p_.reset(); }

  // The same object seen through another interface; nothing when it does not have it.
  template <class U>
  Handle<U> As() const {
    return Handle<U>(std::dynamic_pointer_cast<U>(p_));
  }

  friend bool operator==(const Handle& a, const Handle& b) { return a.p_ == b.p_; }

 private:
  std::shared_ptr<T> p_;
};

template <class T, class... Args>
Handle<T> MakeHandle(Args&&... args) {
  return Handle<T>(std::make_shared<T>(std::forward<Args>(args)...));
}

}  // namespace sulkor

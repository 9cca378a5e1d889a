#pragma once
// The one global instance of a window: made on first use, released on request (the
// object then lives on until no handler of it runs), and made afresh on the next use.

#include <memory>

#include "runtime/app.h"

namespace velloran::rt {

template <class T>
class FormInstance {
 public:
  T& operator*() { return get(); }
  T* operator->() { return &get(); }
  T& get() {
    if (!instance_) instance_ = std::make_unique<T>();
    return *instance_;
  }
  // True while an instance exists; looking does not make one.
  explicit operator bool() const { return instance_ != nullptr; }
  void release() {
    if (instance_) App::instance().releaseLater(std::move(instance_));
  }

 private:
  std::unique_ptr<T> instance_;
};

}  // namespace velloran::rt

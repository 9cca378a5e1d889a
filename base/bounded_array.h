#pragma once
// Arrays with the game's own bounds (tiles 1-144, kinds 1-42, rows 0-12, ...). A bad
// index is the run-time error "Subscript out of range", never a stray memory access.

#include <array>
#include <cstddef>
#include <vector>

#include "base/run_time_error.h"

namespace velloran {

template <class T, int Lower, int Upper>
class BoundedArray {
  static_assert(Lower <= Upper);

 public:
  static constexpr int lower = Lower;
  static constexpr int upper = Upper;
  static constexpr int size = Upper - Lower + 1;

  T& operator[](int index) { return items_[offset(index)]; }
  const T& operator[](int index) const { return items_[offset(index)]; }

  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  bool operator==(const BoundedArray&) const = default;

 private:
  static std::size_t offset(int index) {
    if (index < Lower || index > Upper) raiseError(kSubscriptOutOfRange);
    return static_cast<std::size_t>(index - Lower);
  }
  std::array<T, size> items_{};
};

// A two-dimensional array indexed (first, second), each with its own bounds.
template <class T, int Lower1, int Upper1, int Lower2, int Upper2>
class BoundedArray2 {
 public:
  static constexpr int lower1 = Lower1, upper1 = Upper1;
  static constexpr int lower2 = Lower2, upper2 = Upper2;

  T& operator()(int first, int second) { return rows_[first][second]; }
  const T& operator()(int first, int second) const { return rows_[first][second]; }

  auto begin() { return rows_.begin(); }
  auto end() { return rows_.end(); }
  auto begin() const { return rows_.begin(); }
  auto end() const { return rows_.end(); }

 private:
  BoundedArray<BoundedArray<T, Lower2, Upper2>, Lower1, Upper1> rows_;
};

// A growable array with a lower bound of 1 that is resized as a whole: redim() discards
// the contents, redimPreserve() keeps them, erase() leaves it with no elements at all.
template <class T>
class DynamicArray {
 public:
  int upper() const { return static_cast<int>(items_.size()); }
  bool empty() const { return items_.empty(); }

  void redim(int upper) { items_.assign(checkedSize(upper), T{}); }
  void redimPreserve(int upper) { items_.resize(checkedSize(upper)); }
  void erase() { items_.clear(); }

  T& operator[](int index) { return items_[offset(index)]; }
  const T& operator[](int index) const { return items_[offset(index)]; }

 private:
  static std::size_t checkedSize(int upper) {
    if (upper < 0) raiseError(kSubscriptOutOfRange);
    return static_cast<std::size_t>(upper);
  }
  std::size_t offset(int index) const {
    if (index < 1 || index > upper()) raiseError(kSubscriptOutOfRange);
    return static_cast<std::size_t>(index - 1);
  }
  std::vector<T> items_;
};

}  // namespace velloran

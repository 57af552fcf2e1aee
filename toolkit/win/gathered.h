#pragma once
// What a system enumeration hands its callback, gathered into a list. The
// enumeration calls back through the system's own frames, where no
// exception may unwind: one raised while gathering (no memory for the list)
// ends the enumeration and is thrown again once it has returned.
#include <exception>
#include <vector>

template <typename T>
class Gathered {
 public:
  // For the callback: false ends the enumeration.
  bool Add(const T& item) noexcept {
    try {
      items_.push_back(item);
      return true;
    } catch (...) {
      error_ = std::current_exception();
      return false;
    }
  }
  // After the enumeration: the list, or what went wrong while gathering it.
  std::vector<T> Take() {
    if (error_) std::rethrow_exception(error_);
    return std::move(items_);
  }

 private:
  std::vector<T> items_;
  std::exception_ptr error_;
};

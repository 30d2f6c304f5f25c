// Makes a shared object whose reference counts, object and a block of trailing storage for its
// items come from one allocation: a decoded tree has one container per object and array, and a
// second allocation each would be most of their cost.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

template <typename T>
class TrailingAllocator {
 public:
  using value_type = T;

  TrailingAllocator(size_t trailingBytes, void** trailing)
      : trailingBytes_(trailingBytes), trailing_(trailing) {}
  template <typename U>
  TrailingAllocator(const TrailingAllocator<U>& other)
      : trailingBytes_(other.trailingBytes_), trailing_(other.trailing_) {}

  // Called once by std::allocate_shared, before the object is constructed; the object finds its
  // storage through `trailing`.
  T* allocate(size_t n) {
    constexpr size_t kAlign = alignof(std::max_align_t);
    size_t head = (n * sizeof(T) + kAlign - 1) / kAlign * kAlign;
    char* block = static_cast<char*>(::operator new(head + trailingBytes_));
    *trailing_ = block + head;
    return reinterpret_cast<T*>(block);
  }
  void deallocate(T* block, size_t) { ::operator delete(block); }

  template <typename U>
  bool operator==(const TrailingAllocator<U>& other) const {
    return trailing_ == other.trailing_;
  }

 private:
  template <typename U>
  friend class TrailingAllocator;
  size_t trailingBytes_;
  void** trailing_;
};

// The constructor of T receives `void** trailing`, already pointing at `trailingBytes` of raw
// storage that lives as long as the object.
template <typename T, typename... Args>
std::shared_ptr<T> makeSharedWithTrailing(size_t trailingBytes, Args&&... args) {
  void* trailing = nullptr;
  return std::allocate_shared<T>(TrailingAllocator<T>(trailingBytes, &trailing), &trailing,
                                 std::forward<Args>(args)...);
}

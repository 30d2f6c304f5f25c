// The parser's stack of values waiting for their container. Like a vector of values, except that
// a container that has just moved its items out drops them without a destructor call each:
// closing an array or a dictionary is as common as reading a few values.
#pragma once

#include <cassert>
#include <cstddef>
#include <memory>
#include <new>
#include <utility>

#include "platform/base/Value.h"

class JsonValueStack {
 public:
  JsonValueStack() = default;
  JsonValueStack(JsonValueStack&& other) noexcept { swap(other); }
  JsonValueStack& operator=(JsonValueStack&& other) noexcept {
    JsonValueStack moved(std::move(other));
    swap(moved);
    return *this;
  }
  ~JsonValueStack() {
    clear();
    ::operator delete(items_);
  }

  size_t size() const { return size_; }
  size_t capacity() const { return capacity_; }
  plat::Value* data() { return items_; }
  plat::Value& back() { return items_[size_ - 1]; }

  // Room for `capacity` values in all (never less than it has).
  void reserve(size_t capacity) {
    if (capacity <= capacity_) return;
    auto* grown = static_cast<plat::Value*>(::operator new(capacity * sizeof(plat::Value)));
    std::uninitialized_move_n(items_, size_, grown);
    std::destroy_n(items_, size_);
    ::operator delete(items_);
    items_ = grown;
    capacity_ = capacity;
  }
  // Pushes onto room the caller has made sure of.
  plat::Value& pushWithin(plat::Value&& value) {
    assert(size_ < capacity_);
    return *::new (items_ + size_++) plat::Value(std::move(value));
  }
  // Back to `size` values, the ones above destroyed.
  void shrinkTo(size_t size) {
    std::destroy(items_ + size, items_ + size_);
    size_ = size;
  }
  // Back to `size` values, the ones above having been moved from: a moved-from value holds
  // nothing to give back.
  void dropMovedAbove(size_t size) {
#ifndef NDEBUG
    for (size_t i = size; i < size_; ++i) assert(items_[i].isNull());
#endif
    size_ = size;
  }
  void clear() {
    shrinkTo(0);
  }
  void swap(JsonValueStack& other) noexcept {
    std::swap(items_, other.items_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }

 private:
  plat::Value* items_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

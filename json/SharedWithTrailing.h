// Makes an object and a block of trailing storage for its items in one allocation: a decoded tree
// has one container per object and array, and a second allocation each would be most of their
// cost. Classes made this way declare `static void operator delete(void* block)` as
// JSON_TRAILING_DELETE does, so that deleting them frees the whole block.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

#define JSON_TRAILING_DELETE                 \
  static void operator delete(void* block) { \
    ::operator delete(block);                \
  }

// Where the trailing storage of a T starts, from the object's own address: what it holds needs
// no more than 8-byte alignment.
template <typename T>
constexpr size_t trailingOffset() {
  return (sizeof(T) + 7) / 8 * 8;
}

// The bytes a T with `trailingBytes` of trailing storage takes.
template <typename T>
constexpr size_t blockBytesWithTrailing(size_t trailingBytes) {
  return trailingOffset<T>() + trailingBytes;
}

// Makes a T in `block` (of blockBytesWithTrailing<T>() bytes, owned by the caller).
template <typename T, typename... Args>
T* placeWithTrailing(void* block, Args&&... args) {
  void* trailing = static_cast<char*>(block) + trailingOffset<T>();
  return ::new (block) T(&trailing, std::forward<Args>(args)...);
}

// The constructor of T receives `void** trailing`, already pointing at `trailingBytes` of raw
// storage that lives as long as the object.
template <typename T, typename... Args>
std::unique_ptr<T> makeWithTrailing(size_t trailingBytes, Args&&... args) {
  void* block = ::operator new(trailingOffset<T>() + trailingBytes);
  void* trailing = static_cast<char*>(block) + trailingOffset<T>();
  try {
    return std::unique_ptr<T>(::new (block) T(&trailing, std::forward<Args>(args)...));
  } catch (...) {
    ::operator delete(block);
    throw;
  }
}

// The array a JSON decode produces, read through plat::Value like any other. It is immutable
// (every change raises) unless the caller asked the decoder for mutable results; a mutable one
// counts its changes. Only the decoder makes them.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "json/SharedWithTrailing.h"
#include "platform/base/Value.h"

class JsonParser;

class JsonArray final : public plat::ArrayStorage {
  struct Private {
    explicit Private() = default;
  };

 public:
  // Room for `count` items, none made yet.
  JsonArray(void** trailing, Private, size_t count, bool isMutable);
  ~JsonArray() override;
  JSON_TRAILING_DELETE

  size_t size() const override { return count_; }
  const plat::Value& at(size_t index) const override;
  void append(plat::Value value) override;
  void insert(size_t index, plat::Value value) override;
  void replace(size_t index, plat::Value value) override;
  void remove(size_t index) override;
  std::unique_ptr<plat::ArrayStorage> clone() const override;  // as mutable as this one

  bool isMutable() const { return mutations_ != 0; }
  // 0 for an immutable array; otherwise raised by every change, from 1 on, never back to 0.
  uint64_t mutations() const { return mutations_; }
  size_t capacity() const;
  // Copies the items of [location, location + length) to `objects`, which may be null only when
  // location + length is 0.
  void getObjects(plat::Value* objects, size_t location, size_t length) const;
  // A plain array with the same items, for code that wants to change a decoded one.
  std::unique_ptr<plat::PlainArray> mutableCopy() const;

 private:
  friend class JsonParser;
  // An array with room for `count` items; makeNext makes them in order, each in its place from
  // what `make()` returns.
  static std::unique_ptr<JsonArray> make(size_t count, bool isMutable);
  // An immutable array in the memory of a document's group (see plat::Value::groupArray), its
  // items moved from `items`.
  static JsonArray* makeInGroup(plat::Value* items, size_t count, plat::ValueGroup& group);
  template <typename Make>
  void makeNext(Make&& make) {
    if (isMutable())
      growable_->push_back(make());
    else
      new (items() + count_) plat::Value(make());
    ++count_;
  }

  void insertAt(const char* operation, size_t index, plat::Value value);
  void checkMutable(const char* operation) const;
  [[noreturn]] void raiseBeyondBounds(const char* operation, size_t index, size_t bound) const;
  void didChange();

  // An immutable array keeps its items in the storage allocated with it; a mutable one in
  // `growable_`.
  plat::Value* items() const {
    if (growable_) return growable_->data();
    return reinterpret_cast<plat::Value*>(reinterpret_cast<char*>(const_cast<JsonArray*>(this)) +
                                          trailingOffset<JsonArray>());
  }
  size_t count_;
  uint64_t mutations_;
  std::unique_ptr<std::vector<plat::Value>> growable_;
};

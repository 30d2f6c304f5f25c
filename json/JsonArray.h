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

  bool isMutable() const { return isMutable_; }
  // 0 for an immutable array; otherwise raised by every change, from 1 on, never back to 0.
  uint64_t mutations() const { return isMutable_ ? growable().mutations : 0; }
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
    if (isMutable_)
      growable().items.push_back(make());
    else
      new (items() + count_) plat::Value(make());
    ++count_;
  }

  void insertAt(const char* operation, size_t index, plat::Value value);
  void checkMutable(const char* operation) const;
  [[noreturn]] void raiseBeyondBounds(const char* operation, size_t index, size_t bound) const;
  void didChange();

  // A mutable array's items and count of changes, kept in its trailing storage: decoded
  // documents hold many small immutable arrays, which carry none of it.
  struct Growable {
    std::vector<plat::Value> items;
    uint64_t mutations = 1;
  };
  void* trailing() const {
    return reinterpret_cast<char*>(const_cast<JsonArray*>(this)) + trailingOffset<JsonArray>();
  }
  Growable& growable() const { return *static_cast<Growable*>(trailing()); }
  // An immutable array keeps its items in the storage allocated with it.
  plat::Value* items() const {
    return isMutable_ ? growable().items.data() : static_cast<plat::Value*>(trailing());
  }
  uint64_t count_ : 63;
  uint64_t isMutable_ : 1;
};

// The decoder's cache of string values: a key or a short string that a document repeats is made
// once and shared by every place that holds it, which is most of what a decoded reply's keys and
// small values would otherwise cost. 1024 buckets, probed at most four times; a miss takes the
// first empty bucket met, or else the first probed. It lives as long as its parse state: strings
// of mutable results are shared across parses, those of a document's group only within it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/base/Value.h"

class JsonTokenCache {
 public:
  // Longer strings are seldom repeated: they are made each time and never hashed for the cache.
  static constexpr size_t kLongestCached = 64;

  // Strings from now on are members of `group`, or plain strings when it is null. Entries of an
  // earlier group are never read again: that group may be gone.
  void useGroup(plat::ValueGroup* group) {
    group_ = group;
    generation_ = group ? ++lastGeneration_ : 0;
  }
  // The string value of `bytes`, whose JsonDictionary::keyHash is `hash`.
  plat::Value string(std::string_view bytes, uint64_t hash) {
    return plat::Value::sameMember(entry(bytes, hash).object);
  }
  // The same with the value's text, which lives as long as the value.
  struct Key {
    plat::Value value;
    const std::string* text;
  };
  Key key(std::string_view bytes, uint64_t hash) {
    const Item& item = entry(bytes, hash);
    return {plat::Value::sameMember(item.object), item.text};
  }
  void clearCache() { items_.reset(); }

 private:
  static constexpr size_t kCount = 1024;  // a power of two
  struct Item {
    plat::Value object;                 // a string; null for an empty bucket
    const std::string* text = nullptr;  // the string's text, read without a call
    uint64_t hash = 0;
    uint64_t generation = 0;  // of the group that holds `object`; 0 for a plain string
  };
  // The bucket holding the string of `bytes`, made there if no bucket does. The first probe, which
  // finds most repeated keys, is inline.
  const Item& entry(std::string_view bytes, uint64_t hash) {
    if (items_) [[likely]] {
      const Item& first = items_[hash & (kCount - 1)];
      if (first.hash == hash && first.generation == generation_ && sameText(*first.text, bytes))
        return first;
    }
    return probe(bytes, hash);
  }
  const Item& probe(std::string_view bytes, uint64_t hash);
  // Whether a cached text holds exactly `bytes`. Most are keys of a few bytes: two overlapping
  // loads from each side compare them without a call.
  static bool sameText(const std::string& text, std::string_view bytes) {
    size_t length = bytes.size();
    if (text.size() != length) return false;
    const char* a = text.data();
    const char* b = bytes.data();
    if (length >= 8 && length <= 16) {
      uint64_t a0, a1, b0, b1;
      std::memcpy(&a0, a, 8);
      std::memcpy(&a1, a + length - 8, 8);
      std::memcpy(&b0, b, 8);
      std::memcpy(&b1, b + length - 8, 8);
      return ((a0 ^ b0) | (a1 ^ b1)) == 0;
    }
    if (length >= 4 && length < 8) {
      uint32_t a0, a1, b0, b1;
      std::memcpy(&a0, a, 4);
      std::memcpy(&a1, a + length - 4, 4);
      std::memcpy(&b0, b, 4);
      std::memcpy(&b1, b + length - 4, 4);
      return ((a0 ^ b0) | (a1 ^ b1)) == 0;
    }
    return std::memcmp(a, b, length) == 0;
  }
  plat::Value make(std::string_view bytes) const {
    return group_ ? plat::Value::groupString(*group_, bytes) : plat::Value(std::string(bytes));
  }

  std::unique_ptr<Item[]> items_;  // made at the first string
  plat::ValueGroup* group_ = nullptr;
  uint64_t generation_ = 0;
  uint64_t lastGeneration_ = 0;
};

// The decoder's cache of string values: a key or a short string that a document repeats is made
// once and shared by every place that holds it, which is most of what a decoded reply's keys and
// small values would otherwise cost. 1024 buckets, probed at most four times; a miss takes the
// first empty bucket met, or else the first probed. It lives as long as its parse state: strings
// of mutable results are shared across parses, those of a document's group only within it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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
  plat::Value string(std::string_view bytes, uint64_t hash);
  void clearCache() { items_.reset(); }

 private:
  static constexpr size_t kCount = 1024;  // a power of two
  struct Item {
    plat::Value object;  // a string; null for an empty bucket
    uint64_t hash = 0;
    uint64_t generation = 0;  // of the group that holds `object`; 0 for a plain string
  };
  plat::Value make(std::string_view bytes) const {
    return group_ ? plat::Value::groupString(*group_, bytes) : plat::Value(std::string(bytes));
  }

  std::unique_ptr<Item[]> items_;  // made at the first string
  plat::ValueGroup* group_ = nullptr;
  uint64_t generation_ = 0;
  uint64_t lastGeneration_ = 0;
};

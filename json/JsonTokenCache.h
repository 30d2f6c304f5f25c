// The decoder's cache of string values: a key or a short string that a document repeats is made
// once and shared by every place that holds it, which is most of what a decoded reply's keys and
// small values would otherwise cost. 1024 buckets, probed at most four times; a miss takes the
// first empty bucket met, or else the first probed. It lives as long as its parse state, across
// parses.
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

  // The string value of `bytes`, whose JsonDictionary::keyHash is `hash`.
  plat::Value string(std::string_view bytes, uint64_t hash);
  void clearCache() { items_.reset(); }

 private:
  static constexpr size_t kCount = 1024;  // a power of two
  struct Item {
    plat::Value object;  // a string; null for an empty bucket
    uint64_t hash = 0;
  };
  std::unique_ptr<Item[]> items_;  // made at the first string
};

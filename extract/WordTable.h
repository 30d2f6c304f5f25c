// A set of distinct words numbered in the order they were added, for loops that look up many
// short words: open addressing over views, so a lookup hashes once and allocates nothing.
// The table views text it does not own; its owner keeps that text alive and unchanged.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

class WordTable {
 public:
  static constexpr uint32_t kAbsent = UINT32_MAX;

  // `expected` words fit without the table growing.
  explicit WordTable(size_t expected = 0);

  // Room for `expected` words in all without the table growing.
  void reserve(size_t expected);

  // The number of `word`, or kAbsent.
  uint32_t find(std::string_view word) const;
  // The number of `word`, added first when absent; `added` says whether it was.
  uint32_t insert(std::string_view word, bool& added);

  std::string_view at(uint32_t number) const { return words_[number]; }
  size_t size() const { return words_.size(); }
  const std::vector<std::string_view>& words() const { return words_; }

 private:
  // `tag` holds the upper half of the word's hash, so most mismatches skip comparing text.
  struct Slot {
    uint32_t tag = 0;
    uint32_t number = kAbsent;
  };

  size_t slotOf(std::string_view word, uint64_t hash) const;
  void rehash(size_t slots);

  std::vector<Slot> slots_;  // a power of two long, at most half full
  std::vector<std::string_view> words_;
};

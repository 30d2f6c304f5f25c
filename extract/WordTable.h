// A set of distinct words numbered in the order they were added, for loops that look up many
// short words: open addressing over views, so a lookup hashes once and allocates nothing. A
// lookup is inline, since extraction makes one for every token of a text.
// The table views text it does not own; its owner keeps that text alive and unchanged.
#pragma once

#include <cstdint>
#include <cstring>
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
  uint32_t find(std::string_view word) const { return slots_[slotOf(word, hashOf(word))].number; }
  // The number of `word`, added first when absent; `added` says whether it was.
  uint32_t insert(std::string_view word, bool& added) {
    const uint64_t hash = hashOf(word);
    const size_t slot = slotOf(word, hash);
    added = slots_[slot].number == kAbsent;
    return added ? add(word, hash, slot) : slots_[slot].number;
  }

  std::string_view at(uint32_t number) const { return words_[number]; }
  size_t size() const { return words_.size(); }
  const std::vector<std::string_view>& words() const { return words_; }

 private:
  // `tag` holds the upper half of the word's hash, so most mismatches skip comparing text.
  struct Slot {
    uint32_t tag = 0;
    uint32_t number = kAbsent;
  };

  static uint64_t load64(const char* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
  }
  static uint32_t load32(const char* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }

  // The bytes of a word shorter than eight, read in at most two loads that may overlap, so that
  // every byte counts without a loop over them: "walk" is one load, "walked" two.
  static uint64_t shortChunk(const char* p, size_t n) {
    if (n >= 4) return load32(p) | static_cast<uint64_t>(load32(p + n - 4)) << 32;
    if (n == 0) return 0;
    return static_cast<uint64_t>(static_cast<uint8_t>(p[0])) << 16 |
           static_cast<uint64_t>(static_cast<uint8_t>(p[n / 2])) << 8 |
           static_cast<uint8_t>(p[n - 1]);
  }

  // Words are short: mix them eight bytes at a time, the last eight overlapping the step before,
  // then spread the bits so that both the slot (low bits) and the tag (high bits) depend on every
  // byte. The length is mixed in first, so that the overlapping loads cannot make two words
  // alike.
  static uint64_t hashOf(std::string_view word) {
    uint64_t h = 0x9E3779B97F4A7C15ull ^ word.size();
    const char* p = word.data();
    const size_t n = word.size();
    if (n < 8) {
      h = (h ^ shortChunk(p, n)) * 0xBF58476D1CE4E5B9ull;
    } else {
      for (size_t i = 0; i + 8 < n; i += 8) {
        h = (h ^ load64(p + i)) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
      }
      h = (h ^ load64(p + n - 8)) * 0xBF58476D1CE4E5B9ull;
    }
    h ^= h >> 29;
    h *= 0x94D049BB133111EBull;
    h ^= h >> 32;
    return h;
  }

  static uint32_t tagOf(uint64_t hash) { return static_cast<uint32_t>(hash >> 32); }

  // Whether two texts of `n` bytes are the same, read as hashOf reads them: short words are
  // compared in a load or two rather than through a call.
  static bool sameText(const char* a, const char* b, size_t n) {
    if (n < 8) return shortChunk(a, n) == shortChunk(b, n);
    for (size_t i = 0; i + 8 < n; i += 8)
      if (load64(a + i) != load64(b + i)) return false;
    return load64(a + n - 8) == load64(b + n - 8);
  }

  // The slot holding `word`, or the empty slot where it would go.
  size_t slotOf(std::string_view word, uint64_t hash) const {
    const size_t mask = slots_.size() - 1;
    const uint32_t tag = tagOf(hash);
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = slots_[i];
      if (slot.number == kAbsent) return i;
      if (slot.tag == tag) {
        const std::string_view other = words_[slot.number];
        if (other.size() == word.size() && sameText(other.data(), word.data(), word.size()))
          return i;
      }
    }
  }

  // Adds `word`, absent, whose empty slot is `slot`; returns its number.
  uint32_t add(std::string_view word, uint64_t hash, size_t slot);
  void rehash(size_t slots);

  std::vector<Slot> slots_;  // a power of two long, at most half full
  std::vector<std::string_view> words_;
};

#include "extract/WordTable.h"

#include <cstring>

namespace {

// Words are short: mix them eight bytes at a time, then spread the bits so that both the slot
// (low bits) and the tag (high bits) depend on every byte.
uint64_t hashOf(std::string_view word) {
  uint64_t h = 0x9E3779B97F4A7C15ull ^ word.size();
  const char* p = word.data();
  size_t left = word.size();
  for (; left >= 8; p += 8, left -= 8) {
    uint64_t chunk;
    std::memcpy(&chunk, p, 8);
    h = (h ^ chunk) * 0xBF58476D1CE4E5B9ull;
    h ^= h >> 31;
  }
  if (left > 0) {
    uint64_t chunk = 0;
    for (size_t i = 0; i < left; ++i)
      chunk |= static_cast<uint64_t>(static_cast<uint8_t>(p[i])) << (8 * i);
    h = (h ^ chunk) * 0xBF58476D1CE4E5B9ull;
  }
  h ^= h >> 29;
  h *= 0x94D049BB133111EBull;
  h ^= h >> 32;
  return h;
}

uint32_t tagOf(uint64_t hash) {
  return static_cast<uint32_t>(hash >> 32);
}

size_t slotsFor(size_t words) {
  size_t slots = 16;
  while (slots < 2 * words) slots *= 2;
  return slots;
}

}  // namespace

WordTable::WordTable(size_t expected) : slots_(slotsFor(expected)) {
  words_.reserve(expected);
}

// The slot holding `word`, or the empty slot where it would go.
size_t WordTable::slotOf(std::string_view word, uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  const uint32_t tag = tagOf(hash);
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.number == kAbsent || (slot.tag == tag && words_[slot.number] == word)) return i;
  }
}

uint32_t WordTable::find(std::string_view word) const {
  return slots_[slotOf(word, hashOf(word))].number;
}

uint32_t WordTable::insert(std::string_view word, bool& added) {
  const uint64_t hash = hashOf(word);
  Slot* slot = &slots_[slotOf(word, hash)];
  added = slot->number == kAbsent;
  if (!added) return slot->number;
  if (2 * (words_.size() + 1) > slots_.size()) {
    rehash(slots_.size() * 2);
    slot = &slots_[slotOf(word, hash)];
  }
  slot->tag = tagOf(hash);
  slot->number = static_cast<uint32_t>(words_.size());
  words_.push_back(word);
  return slot->number;
}

void WordTable::reserve(size_t expected) {
  words_.reserve(expected);
  if (slotsFor(expected) > slots_.size()) rehash(slotsFor(expected));
}

void WordTable::rehash(size_t slots) {
  std::vector<Slot> old(slots);
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.number == kAbsent) continue;
    size_t i = hashOf(words_[slot.number]) & mask;
    while (slots_[i].number != kAbsent) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

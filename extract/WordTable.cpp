#include "extract/WordTable.h"

namespace {

size_t slotsFor(size_t words) {
  size_t slots = 16;
  while (slots < 2 * words) slots *= 2;
  return slots;
}

}  // namespace

WordTable::WordTable(size_t expected) : slots_(slotsFor(expected)) {
  words_.reserve(expected);
}

uint32_t WordTable::add(std::string_view word, uint64_t hash, size_t slot) {
  if (2 * (words_.size() + 1) > slots_.size()) {
    rehash(slots_.size() * 2);
    slot = slotOf(word, hash);
  }
  slots_[slot].tag = tagOf(hash);
  slots_[slot].number = static_cast<uint32_t>(words_.size());
  words_.push_back(word);
  return slots_[slot].number;
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

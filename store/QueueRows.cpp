#include "store/QueueRows.h"

#include <functional>

namespace {

constexpr size_t kFirstCapacity = 64;

}  // namespace

uint64_t QueueRows::hashOf(std::string_view word) {
  const uint64_t hash = std::hash<std::string_view>{}(word);
  return hash <= kRemoved ? hash + 2 : hash;
}

void QueueRows::startEmpty(size_t expected) {
  size_t capacity = kFirstCapacity;
  while (capacity < 2 * (expected + 1)) capacity *= 2;
  slots_.assign(capacity, Slot{});
  used_ = 0;
  listed_ = 0;
  known_ = true;
}

void QueueRows::forget() {
  slots_ = {};
  used_ = 0;
  listed_ = 0;
  known_ = false;
}

void QueueRows::add(std::string_view word, int64_t rowid) {
  if (!known_) return;
  if (2 * (used_ + 1) > slots_.size()) grow();
  place(hashOf(word), rowid);
}

void QueueRows::place(uint64_t hash, int64_t rowid) {
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    if (slots_[i].hash != kEmpty) continue;
    slots_[i] = Slot{hash, rowid};
    ++used_;
    ++listed_;
    return;
  }
}

void QueueRows::grow() {
  // Removed marks are left behind; the room doubles only when the entries themselves need it.
  size_t capacity = kFirstCapacity;
  while (capacity < 4 * (listed_ + 1)) capacity *= 2;
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(capacity, Slot{});
  used_ = 0;
  listed_ = 0;
  for (const Slot& slot : old)
    if (slot.hash > kRemoved) place(slot.hash, slot.rowid);
}

std::vector<int64_t> QueueRows::candidates(std::string_view word) const {
  std::vector<int64_t> rowids;
  if (slots_.empty()) return rowids;
  const uint64_t hash = hashOf(word);
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask; slots_[i].hash != kEmpty; i = (i + 1) & mask)
    if (slots_[i].hash == hash) rowids.push_back(slots_[i].rowid);
  return rowids;
}

void QueueRows::remove(std::string_view word, int64_t rowid) {
  if (slots_.empty()) return;
  const uint64_t hash = hashOf(word);
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask; slots_[i].hash != kEmpty; i = (i + 1) & mask) {
    if (slots_[i].hash == hash && slots_[i].rowid == rowid) {
      slots_[i].hash = kRemoved;
      --listed_;
      return;
    }
  }
}

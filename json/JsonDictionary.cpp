#include "json/JsonDictionary.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <new>
#include <utility>

#include <cstring>
#include "json/JsonDictionaryEnumerator.h"
#include "json/JsonParseState.h"
#include "json/JsonRaise.h"
#include "json/SharedWithTrailing.h"

namespace {

// The only capacities a dictionary ever has.
constexpr size_t kCapacities[] = {
    0,        3,        7,        13,       23,        41,        71,        127,
    191,      251,      383,      631,      1087,      1723,      2803,      4523,
    7351,     11959,    19447,    31231,    50683,     81919,     132607,    214519,
    346607,   561109,   907759,   1468927,  2376191,   3845119,   6221311,   10066421,
    16287743, 26354171, 42641881, 68996069, 111638519, 180634607, 292272623, 472907251};

[[noreturn]] void raiseNoTable() {
  jsonRaise(kJsonOutOfMemoryException, "Unable to allocate memory for hash table.");
}

constexpr size_t searchCapacityIndex(size_t count) {
  size_t want = count * 133 / 100;  // count × 1.33, rounded down
  const size_t* found = std::lower_bound(std::begin(kCapacities), std::end(kCapacities), want);
  return static_cast<size_t>(found - std::begin(kCapacities));
}

// The answers for the counts most dictionaries have, looked up rather than searched.
struct SmallCounts {
  static constexpr size_t kCount = 64;
  uint8_t index[kCount] = {};
  constexpr SmallCounts() {
    for (size_t count = 0; count < kCount; ++count)
      index[count] = static_cast<uint8_t>(searchCapacityIndex(count));
  }
};
constexpr SmallCounts kSmallCounts;

}  // namespace

size_t JsonDictionary::capacityIndexForCount(size_t count) {
  if (count < SmallCounts::kCount) return kSmallCounts.index[count];
  if (count > SIZE_MAX / 133) raiseNoTable();
  size_t index = searchCapacityIndex(count);
  if (index == std::size(kCapacities)) raiseNoTable();
  return index;
}

size_t JsonDictionary::capacityForCount(size_t count) {
  return kCapacities[capacityIndexForCount(count)];
}

size_t JsonDictionary::startSlot(uint64_t hash) const {
  // A constant divisor per table size turns the modulo into a multiply.
  switch (capacityIndex_) {
#define JSON_CAPACITY_CASE(i) \
  case i:                     \
    return hash % kCapacities[i];
    JSON_CAPACITY_CASE(1)
    JSON_CAPACITY_CASE(2)
    JSON_CAPACITY_CASE(3)
    JSON_CAPACITY_CASE(4)
    JSON_CAPACITY_CASE(5)
    JSON_CAPACITY_CASE(6)
    JSON_CAPACITY_CASE(7)
    JSON_CAPACITY_CASE(8)
    JSON_CAPACITY_CASE(9)
    JSON_CAPACITY_CASE(10)
    JSON_CAPACITY_CASE(11)
    JSON_CAPACITY_CASE(12)
#undef JSON_CAPACITY_CASE
    default:
      return hash % capacity_;
  }
}

size_t JsonDictionary::storageBytes(size_t capacity, size_t pairRoom) {
  return slotBytes(capacity, narrowFor(pairRoom)) + pairRoom * sizeof(Pair);
}

JsonDictionary::JsonDictionary(void** trailing, Private, size_t capacityIndex, size_t pairRoom,
                               bool isMutable, bool inGroup)
    : isMutable_(isMutable), inGroup_(inGroup) {
  void* storage = *trailing;
  if (!inGroup) {
    ::new (storage) Outside{isMutable ? 1u : 0u, nullptr};
    storage = static_cast<char*>(storage) + sizeof(Outside);
  }
  placeStorage(storage, capacityIndex, pairRoom);
}

void JsonDictionary::placeStorage(void* storage, size_t capacityIndex, size_t pairRoom) {
  capacityIndex_ = static_cast<uint8_t>(capacityIndex);
  capacity_ = static_cast<uint32_t>(kCapacities[capacityIndex]);
  pairRoom_ = static_cast<uint32_t>(pairRoom);
  narrowSlots_ = narrowFor(pairRoom);
  std::memset(storage, 0, slotBytes(capacity_, narrowSlots_));
}

JsonDictionary::~JsonDictionary() {
  Pair* pairs = this->pairs();
  if (!inGroup_)
    for (size_t i = 0; i < count_; ++i) delete pairs[i].key;
  std::destroy_n(pairs, count_);
  if (!inGroup_) std::destroy_at(&outside());
}

std::unique_ptr<JsonDictionary> JsonDictionary::makeWithRoom(size_t capacityIndex, size_t pairRoom,
                                                             bool isMutable) {
  return makeWithTrailing<JsonDictionary>(
      sizeof(Outside) + storageBytes(kCapacities[capacityIndex], pairRoom), Private(),
      capacityIndex, pairRoom, isMutable, false);
}

std::unique_ptr<JsonDictionary> JsonDictionary::make(size_t count, bool isMutable) {
  return makeWithRoom(capacityIndexForCount(count), count, isMutable);
}

JsonDictionary* JsonDictionary::makeInGroup(size_t count, plat::ValueGroup& group) {
  size_t capacityIndex = capacityIndexForCount(count);
  size_t trailing = storageBytes(kCapacities[capacityIndex], count);
  void* block = group.allocate(blockBytesWithTrailing<JsonDictionary>(trailing));
  return placeWithTrailing<JsonDictionary>(block, Private(), capacityIndex, count, false, true);
}

size_t JsonDictionary::findSlot(std::string_view key, uint64_t hash) const {
  // Slots keep no hashes (four bytes a slot, not twelve): keys are compared, and most probes
  // stop at the first.
  if (capacity_ == 0) return capacity_;
  const void* table = slots();
  const Pair* pairs = pairsAfter(const_cast<void*>(table));
  size_t index = startSlot(hash);
  for (size_t probes = 0; probes < capacity_; ++probes, index = nextSlot(index)) {
    size_t used = slotIn(table, index);
    if (used == 0) break;
    if (*pairs[used - 1].key == key) return index;
  }
  return capacity_;
}

const plat::Value* JsonDictionary::find(const std::string& key) const {
  size_t index = findSlot(key, keyHash(key));
  return index == capacity_ ? nullptr : &pairAt(index).object;
}

void JsonDictionary::insertCopyingKey(uint64_t hash, const std::string& key, plat::Value&& object) {
  auto copy = std::make_unique<std::string>(key);
  if (insertMade(hash, copy.get(), [&] { return std::move(object); })) copy.release();
}

void JsonDictionary::insertDecoded(size_t count, const JsonPendingKey* keys, plat::Value* objects) {
  // Most decoded dictionaries are small: a remainder by a constant is a multiply, and the table
  // and pairs are found once.
  if (narrowSlots_) {
    switch (capacityIndex_) {
#define JSON_CAPACITY_CASE(i) \
  case i:                     \
    return insertDecodedNarrow<kCapacities[i]>(count, keys, objects);
      JSON_CAPACITY_CASE(1)
      JSON_CAPACITY_CASE(2)
      JSON_CAPACITY_CASE(3)
      JSON_CAPACITY_CASE(4)
      JSON_CAPACITY_CASE(5)
      JSON_CAPACITY_CASE(6)
      JSON_CAPACITY_CASE(7)
      JSON_CAPACITY_CASE(8)
#undef JSON_CAPACITY_CASE
      default:
        break;
    }
  }
  for (size_t i = 0; i < count; ++i)
    insertMade(keys[i].hash, keys[i].text, [&] { return std::move(objects[i]); });
}

template <size_t kCapacity>
void JsonDictionary::insertDecodedNarrow(size_t count, const JsonPendingKey* keys,
                                         plat::Value* objects) {
  auto* table = static_cast<uint8_t*>(slots());
  Pair* pairs = pairsAfter(table);
  // Until a key repeats, pair j holds keys[j]: a used slot is passed over when its pending key's
  // hash differs, without comparing texts. The table always has a free slot.
  bool pairsInKeyOrder = true;
  for (size_t i = 0; i < count; ++i) {
    uint64_t hash = keys[i].hash;
    if (pairsInKeyOrder) {
      size_t index = hash % kCapacity;
      while (table[index] != 0 && keys[table[index] - 1].hash != hash)
        index = index + 1 == kCapacity ? 0 : index + 1;
      if (table[index] == 0) [[likely]] {
        new (pairs + count_) Pair{keys[i].text, std::move(objects[i])};
        table[index] = static_cast<uint8_t>(++count_);
        continue;
      }
      // A repeated key (or another with the same hash): the general insert from here on, as
      // replacing a pair moves another into its place.
      pairsInKeyOrder = false;
    }
    insertMade(hash, keys[i].text, [&] { return std::move(objects[i]); });
  }
}

void JsonDictionary::removeSlot(size_t index) {
  Pair* pairs = this->pairs();
  size_t removed = slot(index) - 1;
  if (!inGroup_) delete pairs[removed].key;
  setSlot(index, 0);
  // The last pair fills the hole, and its slot is pointed at the new place.
  size_t last = count_ - 1;
  if (removed != last) {
    pairs[removed] = std::move(pairs[last]);
    size_t moved = startSlot(keyHash(*pairs[removed].key));
    while (slot(moved) != last + 1) moved = nextSlot(moved);
    setSlot(moved, removed + 1);
  }
  std::destroy_at(pairs + last);
  --count_;
  // Backward shift: every pair after the hole that probing passed over moves back, so each key
  // stays reachable from its start slot without tombstones.
  size_t next = nextSlot(index);
  for (size_t steps = 0; steps < capacity_ && slot(next) != 0; ++steps, next = nextSlot(next)) {
    size_t to = startSlot(keyHash(*pairAt(next).key));
    while (to != next && slot(to) != 0) to = nextSlot(to);
    if (to == next) continue;
    setSlot(to, slot(next));
    setSlot(next, 0);
  }
}

void JsonDictionary::set(const std::string& key, plat::Value value) {
  checkMutable("set");
  size_t neededIndex = capacityIndexForCount(count_ + 1);
  if (capacity_ < kCapacities[neededIndex] || count_ == pairRoom_)
    regrow(std::max(neededIndex, static_cast<size_t>(capacityIndex_)));
  insertCopyingKey(keyHash(key), key, std::move(value));
  countMutation();
}

// Moves the pairs to new storage with a table of the given size and room for as many pairs as it
// has slots, inserting them again in the old slot order.
void JsonDictionary::regrow(size_t capacityIndex) {
  size_t capacity = kCapacities[capacityIndex];
  std::unique_ptr<std::byte[]> storage;
  try {
    storage.reset(new std::byte[storageBytes(capacity, capacity)]);
  } catch (const std::bad_alloc&) {
    raiseNoTable();
  }
  // The old slots are read through a copy of the old table's description.
  std::vector<size_t> oldSlots(capacity_);
  for (size_t i = 0; i < capacity_; ++i) oldSlots[i] = slot(i);
  Pair* oldPairs = pairs();
  size_t oldCapacity = capacity_, oldCount = count_;
  std::unique_ptr<std::byte[]> oldStorage = std::exchange(outside().grown, std::move(storage));
  placeStorage(outside().grown.get(), capacityIndex, capacity);
  count_ = 0;
  // The keys move over with their pairs: the new table has room for every one of them.
  for (size_t i = 0; i < oldCapacity; ++i) {
    if (oldSlots[i] == 0) continue;
    Pair& pair = oldPairs[oldSlots[i] - 1];
    insertMade(keyHash(*pair.key), pair.key, [&] { return std::move(pair.object); });
  }
  std::destroy_n(oldPairs, oldCount);
}

bool JsonDictionary::remove(const std::string& key) {
  checkMutable("remove");
  size_t index = findSlot(key, keyHash(key));
  if (index == capacity_) return false;
  removeSlot(index);
  countMutation();
  return true;
}

void JsonDictionary::forEach(
    const std::function<void(const std::string&, const plat::Value&)>& fn) const {
  for (size_t i = 0; i < capacity_; ++i)
    if (slot(i) != 0) fn(*pairAt(i).key, pairAt(i).object);
}

std::unique_ptr<plat::DictionaryStorage> JsonDictionary::clone() const {
  auto copy = makeWithRoom(capacityIndex_, pairRoom_, isMutable());
  for (size_t i = 0; i < capacity_; ++i) copy->setSlot(i, slot(i));
  const Pair* from = pairs();
  Pair* to = copy->pairs();
  for (size_t i = 0; i < count_; ++i) {
    auto key = std::make_unique<std::string>(*from[i].key);
    new (to + i) Pair{key.release(), from[i].object};
    copy->count_ = static_cast<uint32_t>(i + 1);
  }
  return copy;
}

void JsonDictionary::getObjects(std::vector<plat::Value>* objects,
                                std::vector<std::string>* keys) const {
  for (size_t i = 0; i < capacity_; ++i) {
    if (slot(i) == 0) continue;
    if (objects) objects->push_back(pairAt(i).object);
    if (keys) keys->push_back(*pairAt(i).key);
  }
}

std::unique_ptr<JsonDictionaryEnumerator> JsonDictionary::keyEnumerator() const {
  return std::make_unique<JsonDictionaryEnumerator>(
      inGroup_ ? plat::Value::sharingGroupMember(*this) : plat::Value::sharing(*this));
}

std::unique_ptr<plat::PlainDictionary> JsonDictionary::mutableCopy() const {
  auto copy = std::make_unique<plat::PlainDictionary>();
  forEach([&](const std::string& key, const plat::Value& object) { copy->set(key, object); });
  return copy;
}

void JsonDictionary::checkMutable(const char* operation) const {
  if (!isMutable())
    jsonRaise(kJsonInternalInconsistencyException,
              jsonFormat("*** -[JsonDictionary %s]: mutating method sent to immutable object",
                         operation));
}

void JsonDictionary::countMutation() {
  uint64_t& mutations = outside().mutations;
  mutations = mutations == UINT64_MAX ? 1 : mutations + 1;
}

// The dictionary a JSON decode produces, read through plat::Value like any other: an
// open-addressing hash table (linear probing, backward-shift deletion) whose sizes come from a
// fixed table of capacities, enumerated in slot order. Immutable unless the caller asked the
// decoder for mutable results. Only the decoder makes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "json/SharedWithTrailing.h"
#include "platform/base/Value.h"

class JsonParser;
class JsonDictionaryEnumerator;
struct JsonPendingKey;

class JsonDictionary final : public plat::DictionaryStorage {
  struct Private {
    explicit Private() = default;
  };

 public:
  // `pairRoom` pairs fit before the storage must grow; the decoder makes exactly as much room as
  // it has pairs.
  JsonDictionary(void** trailing, Private, size_t capacityIndex, size_t pairRoom, bool isMutable,
                 bool inGroup);
  ~JsonDictionary() override;
  JSON_TRAILING_DELETE

  size_t size() const override { return count_; }
  const plat::Value* find(const std::string& key) const override;
  void set(const std::string& key, plat::Value value) override;
  bool remove(const std::string& key) override;
  void forEach(
      const std::function<void(const std::string&, const plat::Value&)>& fn) const override;
  std::unique_ptr<plat::DictionaryStorage> clone() const override;  // as mutable as this one

  bool isMutable() const { return isMutable_; }
  // As JsonArray::mutations().
  uint64_t mutations() const { return isMutable_ ? outside().mutations : 0; }
  size_t capacity() const { return capacity_; }
  // Slots by index (< capacity()); the key and object only of a used slot.
  bool slotIsUsed(size_t index) const { return slot(index) != 0; }
  const std::string& keyAt(size_t index) const { return *pairAt(index).key; }
  const plat::Value& objectAt(size_t index) const { return pairAt(index).object; }
  // Fills either or both lists in slot order.
  void getObjects(std::vector<plat::Value>* objects, std::vector<std::string>* keys) const;
  std::unique_ptr<JsonDictionaryEnumerator> keyEnumerator() const;
  std::unique_ptr<plat::PlainDictionary> mutableCopy() const;

  // The smallest capacity of the table that holds `count` pairs at the wanted load; raises an
  // out-of-memory exception beyond the table's largest size.
  static size_t capacityForCount(size_t count);
  // The hash that places a key in the table. Eight bytes at a time, each folded in by a
  // 64×64→128-bit multiply: keys are short and hashed for every pair a decode builds, so it is
  // inline.
  static uint64_t keyHash(std::string_view key) {
    constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    auto mix = [](uint64_t x) {
      unsigned __int128 product = static_cast<unsigned __int128>(x) * kMultiplier;
      return static_cast<uint64_t>(product) ^ static_cast<uint64_t>(product >> 64);
    };
    const char* bytes = key.data();
    size_t length = key.size();
    uint64_t hash = mix(length ^ 0x2D358DCCAA6C78A5ULL);
    for (; length >= 8; bytes += 8, length -= 8) {
      uint64_t word;
      std::memcpy(&word, bytes, 8);
      hash = mix(hash ^ word);
    }
    if (length >= 4) {
      uint32_t first, last;
      std::memcpy(&first, bytes, 4);
      std::memcpy(&last, bytes + length - 4, 4);
      hash = mix(hash ^ (uint64_t{first} << 32 | last));
    } else if (length > 0) {
      uint64_t word = uint64_t{static_cast<unsigned char>(bytes[0])} << 16 |
                      uint64_t{static_cast<unsigned char>(bytes[length / 2])} << 8 |
                      static_cast<unsigned char>(bytes[length - 1]);
      hash = mix(hash ^ word);
    }
    return hash | uint64_t{1} << 63;
  }

 private:
  friend class JsonParser;

  // A decode makes each distinct key once and shares it: in a document's group, a pair points at
  // the text of the group's key string; outside one, the dictionary owns a copy of each key.
  struct Pair {
    const std::string* key;
    plat::Value object;
  };
  // What a dictionary outside a group keeps at the start of its trailing storage: its count of
  // changes and, once it has outgrown that storage, the storage it has grown into. A group's
  // dictionaries, the bulk of a decoded document, carry none of it.
  struct Outside {
    uint64_t mutations;
    std::unique_ptr<std::byte[]> grown;
  };

  static std::unique_ptr<JsonDictionary> make(size_t count, bool isMutable);
  // The same, immutable, in the memory of a document's group.
  static JsonDictionary* makeInGroup(size_t count, plat::ValueGroup& group);
  static std::unique_ptr<JsonDictionary> makeWithRoom(size_t capacityIndex, size_t pairRoom,
                                                      bool isMutable);
  static size_t slotBytes(size_t capacity, bool narrow) {
    size_t width = narrow ? sizeof(uint8_t) : sizeof(uint32_t);
    return (capacity * width + alignof(Pair) - 1) / alignof(Pair) * alignof(Pair);
  }
  static size_t storageBytes(size_t capacity, size_t pairRoom);
  // Takes the key (see Pair) and the object made in its place from what `makeObject()` returns,
  // only once a slot is found; an equal key already present is replaced. False, with nothing
  // taken, when no slot is free.
  template <typename MakeObject>
  bool insertMade(uint64_t hash, const std::string* key, MakeObject&& makeObject);
  // The same outside a group, with a copy of the key.
  void insertCopyingKey(uint64_t hash, const std::string& key, plat::Value&& object);
  // Fills a group's dictionary, made for `count` pairs, with the decoded keys and the objects
  // moved from `objects`, as insertMade would one by one.
  void insertDecoded(size_t count, const JsonPendingKey* keys, plat::Value* objects);
  template <size_t kCapacity>
  void insertDecodedNarrow(size_t count, const JsonPendingKey* keys, plat::Value* objects);
  void removeSlot(size_t index);
  void regrow(size_t capacityIndex);
  void placeStorage(void* storage, size_t capacityIndex, size_t pairRoom);
  static size_t capacityIndexForCount(size_t count);
  size_t startSlot(uint64_t hash) const;  // hash mod capacity
  static bool sameKey(const std::string* stored, const std::string& key) {
    return stored == &key || *stored == key;
  }
  size_t findSlot(std::string_view key, uint64_t hash) const;  // capacity_ when absent
  size_t nextSlot(size_t index) const { return index + 1 == capacity_ ? 0 : index + 1; }

  void* trailing() const {
    return reinterpret_cast<char*>(const_cast<JsonDictionary*>(this)) +
           trailingOffset<JsonDictionary>();
  }
  Outside& outside() const { return *static_cast<Outside*>(trailing()); }  // not in a group
  // The table of `capacity_` slots (see slot()), then the pairs, kept dense, so a table with free
  // slots costs one or four bytes per free slot.
  void* slots() const {
    if (inGroup_) return trailing();
    const Outside& state = outside();
    return state.grown ? static_cast<void*>(state.grown.get())
                       : static_cast<char*>(trailing()) + sizeof(Outside);
  }
  Pair* pairsAfter(void* slots) const {
    return reinterpret_cast<Pair*>(static_cast<char*>(slots) + slotBytes(capacity_, narrowSlots_));
  }
  Pair* pairs() const { return pairsAfter(slots()); }
  const Pair& pairAt(size_t index) const { return pairs()[slot(index) - 1]; }
  // Slot i: 0 when free, else 1 + the index of its pair. A byte a slot while fewer than 255 pairs
  // fit, four bytes beyond: most decoded dictionaries are small.
  static bool narrowFor(size_t pairRoom) { return pairRoom < 255; }
  size_t slotIn(const void* slots, size_t i) const {
    return narrowSlots_ ? static_cast<const uint8_t*>(slots)[i]
                        : static_cast<const uint32_t*>(slots)[i];
  }
  void setSlotIn(void* slots, size_t i, size_t value) {
    if (narrowSlots_)
      static_cast<uint8_t*>(slots)[i] = static_cast<uint8_t>(value);
    else
      static_cast<uint32_t*>(slots)[i] = static_cast<uint32_t>(value);
  }
  size_t slot(size_t i) const { return slotIn(slots(), i); }
  void setSlot(size_t i, size_t value) { setSlotIn(slots(), i, value); }
  void checkMutable(const char* operation) const;
  void countMutation();

  uint32_t count_ = 0;
  uint32_t capacity_;
  uint32_t pairRoom_;
  uint8_t capacityIndex_;  // into the table of capacities
  bool narrowSlots_;
  bool isMutable_;
  bool inGroup_;  // made in a document's group
};

template <typename MakeObject>
bool JsonDictionary::insertMade(uint64_t hash, const std::string* key, MakeObject&& makeObject) {
  if (capacity_ == 0) return false;
  void* table = slots();
  size_t index = startSlot(hash);
  for (size_t probes = 0; probes < capacity_; ++probes, index = nextSlot(index)) {
    if (slotIn(table, index) != 0 && sameKey(pairsAfter(table)[slotIn(table, index) - 1].key, *key))
      removeSlot(index);
    if (slotIn(table, index) == 0) {
      if (count_ == pairRoom_) return false;  // only when the table is full
      new (pairsAfter(table) + count_) Pair{key, makeObject()};
      setSlotIn(table, index, ++count_);
      return true;
    }
  }
  return false;
}

// The dictionary a JSON decode produces, read through plat::Value like any other: an
// open-addressing hash table (linear probing, backward-shift deletion) whose sizes come from a
// fixed table of capacities, enumerated in slot order. Immutable unless the caller asked the
// decoder for mutable results. Only the decoder makes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Value.h"

class JsonParser;
class JsonDictionaryEnumerator;

class JsonDictionary final : public plat::DictionaryStorage,
                             public std::enable_shared_from_this<JsonDictionary> {
  struct Private {
    explicit Private() = default;
  };

 public:
  JsonDictionary(void** trailing, Private, size_t capacityIndex, bool isMutable);
  ~JsonDictionary() override;

  size_t size() const override { return count_; }
  const plat::Value* find(const std::string& key) const override;
  void set(const std::string& key, plat::Value value) override;
  bool remove(const std::string& key) override;
  void forEach(
      const std::function<void(const std::string&, const plat::Value&)>& fn) const override;
  std::shared_ptr<plat::DictionaryStorage> clone() const override;  // as mutable as this one

  bool isMutable() const { return mutations_ != 0; }
  uint64_t mutations() const { return mutations_; }  // as JsonArray::mutations()
  size_t capacity() const { return capacity_; }
  // Slots by index (< capacity()); the key and object only of a used slot.
  bool slotIsUsed(size_t index) const { return slots_[index].used(); }
  const std::string& keyAt(size_t index) const { return slots_[index].pair().key; }
  const plat::Value& objectAt(size_t index) const { return slots_[index].pair().object; }
  // Fills either or both lists in slot order.
  void getObjects(std::vector<plat::Value>* objects, std::vector<std::string>* keys) const;
  std::unique_ptr<JsonDictionaryEnumerator> keyEnumerator() const;
  std::shared_ptr<plat::PlainDictionary> mutableCopy() const;

  // The smallest capacity of the table that holds `count` pairs at the wanted load; raises an
  // out-of-memory exception beyond the table's largest size.
  static size_t capacityForCount(size_t count);
  // The hash that places a key in the table.
  static uint64_t keyHash(std::string_view key);

 private:
  friend class JsonParser;

  struct Pair {
    std::string key;
    plat::Value object;
  };
  // A free slot holds no pair; a used one holds a constructed pair.
  struct Slot {
    uint64_t keyHash = 0;  // 0 for a free slot: every key's hash has its top bit set
    alignas(Pair) std::byte storage[sizeof(Pair)];

    bool used() const { return keyHash != 0; }
    Pair& pair() { return *std::launder(reinterpret_cast<Pair*>(storage)); }
    const Pair& pair() const { return *std::launder(reinterpret_cast<const Pair*>(storage)); }
  };

  static std::shared_ptr<JsonDictionary> make(size_t count, bool isMutable);
  // Takes the key and object; an equal key already present is replaced. Dropped when no slot is
  // free.
  void insertEntry(uint64_t hash, std::string&& key, plat::Value&& object);
  void insertEntry(uint64_t hash, std::string_view key, plat::Value&& object);
  template <typename Key>
  void insertPair(uint64_t hash, Key&& key, plat::Value&& object);
  void removeSlot(size_t index);
  template <typename Key>
  void fill(Slot& slot, uint64_t hash, Key&& key, plat::Value&& object);
  void empty(Slot& slot);
  void destroyPairs();
  static size_t capacityIndexForCount(size_t count);
  void moveToTable(size_t capacityIndex);
  size_t startSlot(uint64_t hash) const;                       // hash mod capacity
  size_t findSlot(std::string_view key, uint64_t hash) const;  // capacity_ when absent
  size_t nextSlot(size_t index) const { return index + 1 == capacity_ ? 0 : index + 1; }
  void checkMutable(const char* operation) const;
  void countMutation();

  size_t count_ = 0;
  size_t capacityIndex_;  // into the table of capacities
  size_t capacity_;
  uint64_t mutations_;
  // The slots live in the storage allocated with the dictionary, or in `grown_` once a mutable
  // dictionary has outgrown them.
  Slot* slots_;
  std::unique_ptr<Slot[]> grown_;
};

#include "json/JsonArray.h"

#include <memory>
#include <new>

#include "json/JsonRaise.h"
#include "json/SharedWithTrailing.h"

JsonArray::JsonArray(void** trailing, Private, size_t count, bool isMutable)
    : count_(0), isMutable_(isMutable) {
  if (isMutable) {
    auto* growable = ::new (*trailing) Growable();
    try {
      growable->items.reserve(count);
    } catch (...) {
      std::destroy_at(growable);
      throw;
    }
  }
}

JsonArray::~JsonArray() {
  if (isMutable_)
    std::destroy_at(&growable());
  else
    std::destroy_n(items(), count_);
}

std::unique_ptr<JsonArray> JsonArray::make(size_t count, bool isMutable) {
  size_t trailingBytes = isMutable ? sizeof(Growable) : count * sizeof(plat::Value);
  return makeWithTrailing<JsonArray>(trailingBytes, Private(), count, isMutable);
}

JsonArray* JsonArray::makeInGroup(plat::Value* items, size_t count, plat::ValueGroup& group) {
  void* block = group.allocate(blockBytesWithTrailing<JsonArray>(count * sizeof(plat::Value)));
  auto* array = placeWithTrailing<JsonArray>(block, Private(), count, false);
  std::uninitialized_move_n(items, count, array->items());
  array->count_ = count;
  return array;
}

size_t JsonArray::capacity() const {
  return isMutable_ ? growable().items.capacity() : count_;
}

const plat::Value& JsonArray::at(size_t index) const {
  if (index >= count_) raiseBeyondBounds("at", index, count_);
  return items()[index];
}

void JsonArray::append(plat::Value value) {
  insertAt("append", count_, std::move(value));
}

void JsonArray::insert(size_t index, plat::Value value) {
  insertAt("insert", index, std::move(value));
}

void JsonArray::insertAt(const char* operation, size_t index, plat::Value value) {
  checkMutable(operation);
  if (index > count_) raiseBeyondBounds(operation, index, count_ + 1);
  // Grows by 16 slots at a time.
  std::vector<plat::Value>& items = growable().items;
  if (count_ + 1 >= items.capacity()) {
    try {
      items.reserve(items.capacity() + 16);
    } catch (const std::bad_alloc&) {
      jsonRaise(kJsonOutOfMemoryException, "Unable to resize objects array.");
    }
  }
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(index), std::move(value));
  didChange();
}

void JsonArray::replace(size_t index, plat::Value value) {
  checkMutable("replace");
  if (index >= count_) raiseBeyondBounds("replace", index, count_);
  growable().items[index] = std::move(value);
  didChange();
}

void JsonArray::remove(size_t index) {
  checkMutable("remove");
  if (index >= count_) raiseBeyondBounds("remove", index, count_);
  std::vector<plat::Value>& items = growable().items;
  items.erase(items.begin() + static_cast<std::ptrdiff_t>(index));
  didChange();
}

std::unique_ptr<plat::ArrayStorage> JsonArray::clone() const {
  auto copy = make(count_, isMutable());
  for (size_t i = 0; i < count_; ++i) copy->makeNext([&] { return items()[i]; });
  return copy;
}

void JsonArray::getObjects(plat::Value* objects, size_t location, size_t length) const {
  size_t end = location + length;
  if (objects == nullptr && end > 0)
    jsonRaise(kJsonInvalidArgumentException,
              jsonFormat("*** -[JsonArray getObjects]: pointer to objects array is NULL but range "
                         "length is %lu",
                         static_cast<unsigned long>(end)));
  if (end < location || end > count_) raiseBeyondBounds("getObjects", end, count_);
  std::copy(items() + location, items() + end, objects);
}

std::unique_ptr<plat::PlainArray> JsonArray::mutableCopy() const {
  return std::make_unique<plat::PlainArray>(std::vector<plat::Value>(items(), items() + count_));
}

void JsonArray::checkMutable(const char* operation) const {
  if (!isMutable())
    jsonRaise(
        kJsonInternalInconsistencyException,
        jsonFormat("*** -[JsonArray %s]: mutating method sent to immutable object", operation));
}

void JsonArray::raiseBeyondBounds(const char* operation, size_t index, size_t bound) const {
  jsonRaise(kJsonRangeException,
            jsonFormat("*** -[JsonArray %s]: index (%lu) beyond bounds (%lu)", operation,
                       static_cast<unsigned long>(index), static_cast<unsigned long>(bound)));
}

void JsonArray::didChange() {
  Growable& state = growable();
  count_ = state.items.size();
  state.mutations = state.mutations == UINT64_MAX ? 1 : state.mutations + 1;
}

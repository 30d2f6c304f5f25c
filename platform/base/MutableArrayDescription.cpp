#include "platform/base/MutableArrayDescription.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace plat {
namespace {

std::atomic<bool> describedByIdentity{false};

// 32-bit FNV-1a: small, and the same in every run, so a printed hash can be compared.
constexpr uint32_t kFnvOffset = 2166136261u;
constexpr uint32_t kFnvPrime = 16777619u;

uint32_t fnv(uint32_t hash, const void* bytes, size_t length) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  for (size_t i = 0; i < length; ++i) hash = (hash ^ p[i]) * kFnvPrime;
  return hash;
}

// Each kind starts from its own seed, so that "1", 1 and true hash apart.
uint32_t seeded(Value::Type kind) {
  const auto tag = static_cast<unsigned char>(kind);
  return fnv(kFnvOffset, &tag, 1);
}

}  // namespace

uint32_t valueHash(const Value& value) {
  if (value.isNumber()) {
    // Numbers of different kinds are equal when their doubles are; -0 equals 0.
    double number = value.asDouble();
    if (number == 0) number = 0;
    if (std::isnan(number)) number = std::nan("");
    uint64_t bits;
    std::memcpy(&bits, &number, sizeof bits);
    return fnv(seeded(Value::Type::Double), &bits, sizeof bits);
  }
  switch (value.type()) {
    case Value::Type::Bool: {
      const unsigned char b = value.asBool() ? 1 : 0;
      return fnv(seeded(Value::Type::Bool), &b, 1);
    }
    case Value::Type::String:
      return fnv(seeded(Value::Type::String), value.asString().data(), value.asString().size());
    case Value::Type::Bytes:
      return fnv(seeded(Value::Type::Bytes), value.asBytes().data(), value.asBytes().size());
    case Value::Type::Array:
    case Value::Type::Dictionary: {
      // Equal containers have equal sizes; hashing what they hold would cost a walk of the tree.
      const uint64_t size = value.isArray() ? value.size() : value.dictionaryStorage()->size();
      return fnv(seeded(value.type()), &size, sizeof size);
    }
    default:
      return seeded(Value::Type::Null);
  }
}

std::string mutableArrayDescription(const Value& array) {
  const ArrayStorage* storage = array.arrayStorage();
  if (!storage) return "";
  char head[96];
  std::snprintf(head, sizeof head, "<%u,%zu,%p>,", array.holderCount(), storage->size(),
                static_cast<const void*>(storage));
  std::string out = head;
  for (size_t i = 0; i < storage->size(); ++i) {
    const Value& element = storage->at(i);
    char piece[64];
    std::snprintf(piece, sizeof piece, "[%p--%d] ", static_cast<const void*>(&element),
                  static_cast<int32_t>(valueHash(element)));
    out += piece;
  }
  return out;
}

void setMutableArraysDescribedByIdentity(bool on) {
  describedByIdentity.store(on, std::memory_order_relaxed);
}

bool mutableArraysDescribedByIdentity() {
  return describedByIdentity.load(std::memory_order_relaxed);
}

}  // namespace plat

#include "json/JsonDictionaryEnumerator.h"

JsonDictionaryEnumerator::JsonDictionaryEnumerator(plat::Value collection)
    : collection_(std::move(collection)) {}

std::optional<std::string> JsonDictionaryEnumerator::nextObject() {
  while (nextObject_ < dictionary().capacity()) {
    size_t slot = nextObject_++;
    if (dictionary().slotIsUsed(slot)) return dictionary().keyAt(slot);
  }
  return std::nullopt;
}

std::vector<std::string> JsonDictionaryEnumerator::allObjects() {
  std::vector<std::string> keys;
  while (auto key = nextObject()) keys.push_back(std::move(*key));
  return keys;
}

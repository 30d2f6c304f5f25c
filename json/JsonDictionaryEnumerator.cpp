#include "json/JsonDictionaryEnumerator.h"

JsonDictionaryEnumerator::JsonDictionaryEnumerator(std::shared_ptr<const JsonDictionary> collection)
    : collection_(std::move(collection)) {}

std::optional<std::string> JsonDictionaryEnumerator::nextObject() {
  while (nextObject_ < collection_->capacity()) {
    size_t slot = nextObject_++;
    if (collection_->slotIsUsed(slot)) return collection_->keyAt(slot);
  }
  return std::nullopt;
}

std::vector<std::string> JsonDictionaryEnumerator::allObjects() {
  std::vector<std::string> keys;
  while (auto key = nextObject()) keys.push_back(std::move(*key));
  return keys;
}

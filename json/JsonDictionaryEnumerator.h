// Hands out the keys of a decoded dictionary one at a time, in slot order; keeps the dictionary
// alive while it exists.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "json/JsonDictionary.h"

class JsonDictionaryEnumerator {
 public:
  // `collection` holds a JsonDictionary.
  explicit JsonDictionaryEnumerator(plat::Value collection);

  std::optional<std::string> nextObject();  // nothing after the last key
  std::vector<std::string> allObjects();    // every key not yet handed out

 private:
  plat::Value collection_;
  const JsonDictionary& dictionary() const {
    return static_cast<const JsonDictionary&>(*collection_.dictionaryStorage());
  }
  size_t nextObject_ = 0;  // slot index
};

#include "json/JsonTokenCache.h"

#include <string>

namespace {

constexpr uint64_t kStringKind = 5;

}  // namespace

const JsonTokenCache::Item& JsonTokenCache::probe(std::string_view bytes, uint64_t hash) {
  if (bytes.empty() && !group_) {
    // Never destroyed: the backup's and the analytics' threads decode replies, and may still be
    // doing so as the process exits.
    static const auto& kEmptyString = *new plat::Value(std::string());
    static const auto& kEmpty = *new Item{kEmptyString, &kEmptyString.asString()};
    return kEmpty;
  }
  if (!items_) items_ = std::make_unique<Item[]>(kCount);
  const uint64_t step = bytes.size() + kStringKind + 3;
  Item* chosen = nullptr;
  for (uint64_t k = 0; k < 4; ++k) {
    Item& item = items_[(hash + k * step) & (kCount - 1)];
    if (item.generation != generation_ || item.object.isNull()) {
      chosen = &item;
      break;
    }
    if (item.hash == hash && sameText(*item.text, bytes)) return item;
    if (!chosen) chosen = &item;
  }
  chosen->object = make(bytes);
  chosen->text = &chosen->object.asString();
  chosen->hash = hash;
  chosen->generation = generation_;
  return *chosen;
}

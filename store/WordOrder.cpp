#include "store/WordOrder.h"

#include <algorithm>

namespace WordOrder {

namespace {

// Only A-Z fold: the database's NOCASE leaves every other byte as it is.
unsigned char folded(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

}  // namespace

int compareIgnoringCase(std::string_view a, std::string_view b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const int difference = folded(a[i]) - folded(b[i]);
    if (difference != 0) return difference;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool before(std::string_view a, std::string_view b) {
  const int order = compareIgnoringCase(a, b);
  return order != 0 ? order < 0 : a < b;
}

bool beginsWith(std::string_view word, std::string_view prefix) {
  return word.size() >= prefix.size() &&
         compareIgnoringCase(word.substr(0, prefix.size()), prefix) == 0;
}

}  // namespace WordOrder

// The library's headwords in memory, so that word extraction tests each token with a hash lookup
// instead of a statement. The library is read again whenever its row count, its largest id or
// the database file changes; lookups compare exactly, as the store's column does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "extract/WordTable.h"

class HeadwordIndex {
 public:
  static constexpr uint32_t kAbsent = WordTable::kAbsent;

  // The index of the open store's library; null when the store cannot be read (callers then
  // ask the store word by word). Safe on any thread.
  static std::shared_ptr<const HeadwordIndex> current();

  HeadwordIndex(const HeadwordIndex&) = delete;
  HeadwordIndex& operator=(const HeadwordIndex&) = delete;

  // The headword's number, below size(), or kAbsent.
  uint32_t find(std::string_view word) const { return table_.find(word); }
  bool contains(std::string_view word) const { return find(word) != kAbsent; }
  std::string_view word(uint32_t number) const { return table_.at(number); }
  size_t size() const { return table_.size(); }

 private:
  explicit HeadwordIndex(std::vector<std::string> words);

  std::vector<std::string> words_;  // never changed once built: the table views them
  WordTable table_;
};

// The library's headwords in memory, so that word extraction tests each token with a hash lookup
// instead of a statement. The library is read again whenever its row count, its largest id or
// the database file changes; lookups compare exactly, as the store's column does.
#pragma once

#include <memory>
#include <string>
#include <unordered_set>

class HeadwordIndex {
 public:
  // The index of the open store's library; null when the store cannot be read (callers then
  // ask the store word by word). Safe on any thread.
  static std::shared_ptr<const HeadwordIndex> current();

  bool contains(const std::string& word) const { return words_.count(word) != 0; }
  size_t size() const { return words_.size(); }

 private:
  std::unordered_set<std::string> words_;
};

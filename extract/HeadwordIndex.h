// The library's headwords in memory, so that word extraction tests each token with a hash lookup
// instead of a statement, with the library's record of inflected forms beside them. The library
// is read again whenever its row count, its largest id or the database file changes; lookups
// compare exactly, as the store's column does, except that a headword stored with capitals
// ("Monday", "Mr") is found from its lower-case form too.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "extract/FormRecord.h"
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
  uint32_t find(std::string_view word) const {
    const uint32_t number = table_.find(word);
    return number == kAbsent || number < words_.size() ? number
                                                        : lowered_[number - words_.size()];
  }
  bool contains(std::string_view word) const { return find(word) != kAbsent; }
  // The number of the headword that the library records `form` as an inflection of, or kAbsent.
  uint32_t baseOf(std::string_view form) const { return forms_.baseOf(form); }
  std::string_view word(uint32_t number) const { return table_.at(number); }
  size_t size() const { return words_.size(); }

 private:
  // `ids`: the id of each word; `records`: [word id, record text] in the store's order;
  // `places`: words' places in the frequency books by id.
  HeadwordIndex(std::vector<std::string> words, const std::vector<int64_t>& ids,
                const std::vector<std::pair<int64_t, std::string>>& records,
                const std::unordered_map<int64_t, int64_t>& places);

  void addLowerCaseKeys();

  std::vector<std::string> words_;  // never changed once built: the table views them
  std::vector<std::string> lowerCaseKeys_;  // of the words stored with capitals, likewise
  std::vector<uint32_t> lowered_;  // the word number of each lower-case key
  WordTable table_;                // the words (numbered as in words_), then the lower-case keys
  FormRecord forms_;
};

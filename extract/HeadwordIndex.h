// The library's headwords in memory, so that word extraction tests each token with a hash lookup
// instead of a statement, with the library's record of inflected forms beside them and what the
// reader needs to know of each word: whether a book teaches it and whether it is an adjective.
// The library is read again whenever its row count, its largest id or the database file changes.
// Lookups compare exactly, as the store's column does; a headword stored with capitals
// ("Monday", "Mr") can also be found by its lower-case key, unless a lower-case headword of that
// spelling exists ("china" is not China).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "extract/FormRecord.h"
#include "extract/TextArena.h"
#include "extract/WordTable.h"

class CallDB;

class HeadwordIndex {
 public:
  static constexpr uint32_t kAbsent = WordTable::kAbsent;

  // The index of the open store's library; null when the store cannot be read (callers then
  // ask the store word by word). Safe on any thread.
  static std::shared_ptr<const HeadwordIndex> current();

  HeadwordIndex(const HeadwordIndex&) = delete;
  HeadwordIndex& operator=(const HeadwordIndex&) = delete;

  // What one lookup of a lower-cased or written spelling finds: the headword stored exactly so,
  // the headword stored with capitals whose lower-case key it is, and what the record of forms
  // says of it; each may be absent.
  struct Found {
    uint32_t exact = kAbsent;
    uint32_t byKey = kAbsent;
    FormRecord::Form form;
  };
  Found lookUp(std::string_view word) const {
    const uint32_t number = table_.find(word);
    if (number == kAbsent) return {};
    Found found;
    if (number < wordCount_)
      found.exact = number;
    else if (number < keysEnd())
      found.byKey = lowered_[number - wordCount_];
    found.form = formOfNumber_[number];
    return found;
  }

  // The number (below size()) of the headword stored exactly as `word`, or kAbsent.
  uint32_t findExact(std::string_view word) const {
    const uint32_t number = table_.find(word);
    return number < wordCount_ ? number : kAbsent;
  }
  // The number of the headword stored with capitals whose lower-case key is `lower`, or kAbsent.
  uint32_t findByLowerCaseKey(std::string_view lower) const { return lookUp(lower).byKey; }
  // Either of the two above.
  uint32_t find(std::string_view word) const {
    const Found found = lookUp(word);
    return found.exact != kAbsent ? found.exact : found.byKey;
  }
  bool contains(std::string_view word) const { return find(word) != kAbsent; }

  // What the record of forms says of `form` (lower-case): its base's number and marker.
  FormRecord::Form formOf(std::string_view form) const { return lookUp(form).form; }
  uint32_t baseOf(std::string_view form) const { return formOf(form).base; }

  // Whether some book teaches the headword; true for every word of a library without books,
  // which then tells nothing.
  bool inBook(uint32_t number) const { return !hasBooks_ || (traits_[number] & kInBook); }
  // Whether the headword has an adjective sense, and whether it is first an adjective and never
  // an adverb ("red", not "still").
  bool isAdjective(uint32_t number) const { return traits_[number] & kAdjective; }
  bool isPlainAdjective(uint32_t number) const { return traits_[number] & kPlainAdjective; }
  // Whether the headword's first sense, the one the card shows first, is a verb's.
  bool isFirstAVerb(uint32_t number) const { return traits_[number] & kFirstAVerb; }
  // Whether it is a noun's.
  bool isFirstANoun(uint32_t number) const { return traits_[number] & kFirstANoun; }
  // Whether the headword has a noun sense, a verb sense.
  bool isNoun(uint32_t number) const { return traits_[number] & kNoun; }
  bool isVerb(uint32_t number) const { return traits_[number] & kVerb; }
  // Whether the headword has a noun sense and the record of forms gives it a plural: a noun one
  // can count ("chiefs"), which may head a subject, where "the red" or "the old" name no one.
  bool isCountableNoun(uint32_t number) const {
    return (traits_[number] & (kNoun | kHasPlural)) == (kNoun | kHasPlural);
  }
  // Whether the frequency books rank `a` above `b`, or only `a`.
  bool isCommonerThan(uint32_t a, uint32_t b) const {
    return frequencyRank_[a] != 0 &&
           (frequencyRank_[b] == 0 || frequencyRank_[a] < frequencyRank_[b]);
  }
  // Whether the headword, a plural of another, means what its singular means ("eggs" of egg),
  // rather than a sense of its own ("glasses" of glass).
  bool meansItsBase(uint32_t number) const { return traits_[number] & kMeansItsBase; }

  std::string_view word(uint32_t number) const { return table_.at(number); }
  size_t size() const { return wordCount_; }

 private:
  enum Trait : uint16_t {
    kInBook = 1,
    kAdjective = 2,
    kPlainAdjective = 4,
    kMeansItsBase = 8,
    kFirstAVerb = 16,
    kFirstANoun = 32,
    kNoun = 64,
    kVerb = 128,
    kHasPlural = 256,
  };

  HeadwordIndex() = default;
  // Reads the library from the store's connection; raises when a statement fails.
  static std::unique_ptr<HeadwordIndex> load(CallDB& db, size_t wordCount);
  class Loader;

  size_t keysEnd() const { return wordCount_ + lowered_.size(); }

  // The spellings of the words, the lower-case keys and the forms, never moved once kept: the
  // table views them.
  TextArena text_;
  // The words (numbered from 0 to wordCount_), then the lower-case keys of the words stored with
  // capitals, then the recorded forms that are neither.
  WordTable table_;
  uint32_t wordCount_ = 0;
  std::vector<uint32_t> lowered_;               // the word number of each lower-case key
  std::vector<FormRecord::Form> formOfNumber_;  // by the table's number
  std::vector<uint16_t> traits_;                // Trait bits by word number
  std::vector<uint16_t> frequencyRank_;         // by word number; 0 when in no frequency book
  bool hasBooks_ = false;
};

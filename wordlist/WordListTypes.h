// The shapes shared by the word-list screen and its pages: a list of word slots, the word states
// and the list kinds.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// A slot of a list: a word; "" while a word book's list is still loading; nullopt for a row of
// the whole library whose window has not been read yet.
using WordSlot = std::optional<std::string>;
using WordSlots = std::vector<WordSlot>;

// Word text -> state; a word missing here has no state yet.
using WordStates = std::unordered_map<std::string, std::string>;

namespace WordListState {
inline const std::string kInStudy = "1";
inline const std::string kNotSelected = "2";
inline const std::string kSelected = "3";
}  // namespace WordListState

// The list kinds, also the word-list screen's page index plus one.
enum WordListPage : int { kPageAll = 1, kPageNone = 2, kPageSelected = 3, kPageLearned = 4 };

// Where a screen's lists come from.
enum WordListSource : int { kListsFromStore = 2, kListsInMemory = 4 };

// Slots holding the words in order.
inline WordSlots slotsOf(const std::vector<std::string>& words) {
  return WordSlots(words.begin(), words.end());
}

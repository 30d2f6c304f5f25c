// One entry of the review queue: a headword and its re-test position (0 for the word's first
// showing since the queue was loaded).
#pragma once

#include <cstdint>
#include <string>

struct P_Review {
  std::string sWord;
  int32_t nReTestPos = 0;

  static P_Review makeWithWord(std::string word, int32_t retestPos) {
    return P_Review{std::move(word), retestPos};
  }
};

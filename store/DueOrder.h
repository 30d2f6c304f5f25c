// The order of the due review words: next study time, then last test time, then word id, as the
// next-study index keeps them. The store reads the rows in word-id order and sorts them here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct DueWord {
  int64_t next;
  int64_t last;
  uint32_t read;  // the row's place in the reading, which follows the word ids
};

// Puts the first `kept` words of that order, in order, at the front of `due`; the rest follow in
// no particular order. The `read` places are 0 to due.size() - 1, each once.
void orderDueWords(std::vector<DueWord>& due, size_t kept);

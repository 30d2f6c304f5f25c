// Where the rows of the review queue's mirror (review_list) are, by headword: the rowids the store
// wrote or read for each word, kept in memory. An answer takes its word's rows out by rowid, which
// needs neither a scan of the day's queue nor an index on the words, which the daily rebuild would
// have to sort anew for thousands of rows.
//
// The table stays the truth. A word gives candidates (words whose hashes collide share them, and a
// row taken out by someone else may linger), so every statement that uses a rowid checks the row's
// word as well. What the list promises is the other way round: while it is known, every row of the
// table is listed under its word. Whoever writes rows must list them, and anything it cannot
// follow (a rollback that may bring rows back, another connection, a row written by other code)
// makes the list unknown, to be read again from the table before its next use.
//
// Threads: not locked itself; CallDB uses it only while holding the connection's lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class QueueRows {
 public:
  bool known() const { return known_; }
  // The table was emptied: known, and nothing listed yet; `expected` rows are about to come.
  void startEmpty(size_t expected = 0);
  // Nothing can be said about the table any more.
  void forget();

  // A row of the table holds `word`. Only while known; an unknown list stays unknown.
  void add(std::string_view word, int64_t rowid);
  // The rowids listed under `word`'s hash, to be checked against the word.
  std::vector<int64_t> candidates(std::string_view word) const;
  // The row `rowid` no longer holds `word`.
  void remove(std::string_view word, int64_t rowid);

  size_t size() const { return listed_; }

 private:
  // Open addressing with linear probing. A slot's hash is never 0 (empty) or 1 (a removed entry,
  // which lookups step over); word hashes are moved clear of both.
  struct Slot {
    uint64_t hash = 0;
    int64_t rowid = 0;
  };
  static constexpr uint64_t kEmpty = 0;
  static constexpr uint64_t kRemoved = 1;
  static uint64_t hashOf(std::string_view word);
  void place(uint64_t hash, int64_t rowid);
  void grow();

  std::vector<Slot> slots_;  // a power of two long, never more than half used
  size_t used_ = 0;          // slots holding an entry or a removed mark
  size_t listed_ = 0;        // slots holding an entry
  bool known_ = false;
};

#include "store/DueOrder.h"

#include <algorithm>
#include <bit>

namespace {

bool before(const DueWord& a, const DueWord& b) {
  if (a.next != b.next) return a.next < b.next;
  if (a.last != b.last) return a.last < b.last;
  return a.read < b.read;
}

// The whole list by one 64-bit key each, the next study time above the reading place, when both
// fit: a sort of plain numbers is several times quicker than one of three-part rows. Words due at
// the same second are then put right by their last test time, a short run at a time.
bool sortedByPackedKeys(std::vector<DueWord>& due) {
  const auto [low, high] = std::minmax_element(
      due.begin(), due.end(), [](const DueWord& a, const DueWord& b) { return a.next < b.next; });
  const uint64_t span = static_cast<uint64_t>(high->next) - static_cast<uint64_t>(low->next);
  const int readBits = std::bit_width(static_cast<uint64_t>(due.size()));
  if (std::bit_width(span) + readBits > 64) return false;
  const int64_t base = low->next;
  std::vector<uint64_t> keys;
  keys.reserve(due.size());
  for (const DueWord& word : due)
    keys.push_back((static_cast<uint64_t>(word.next) - static_cast<uint64_t>(base)) << readBits |
                   word.read);
  std::sort(keys.begin(), keys.end());
  std::vector<DueWord> byRead(due.size());
  for (const DueWord& word : due) byRead[word.read] = word;
  const uint64_t readMask = (uint64_t{1} << readBits) - 1;
  for (size_t i = 0; i < keys.size(); ++i) due[i] = byRead[keys[i] & readMask];
  for (auto run = due.begin(); run != due.end();) {
    auto runEnd = std::find_if(run, due.end(), [&](const DueWord& w) { return w.next != run->next; });
    if (runEnd - run > 1) std::sort(run, runEnd, before);
    run = runEnd;
  }
  return true;
}

}  // namespace

void orderDueWords(std::vector<DueWord>& due, size_t kept) {
  kept = std::min(kept, due.size());
  if (kept == 0) return;
  if (kept == due.size() && sortedByPackedKeys(due)) return;
  const auto keptEnd = due.begin() + static_cast<std::ptrdiff_t>(kept);
  if (kept < due.size()) std::nth_element(due.begin(), keptEnd, due.end(), before);
  std::sort(due.begin(), keptEnd, before);
}

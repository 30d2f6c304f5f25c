// The A-Z order of the word lists. Headwords compare without regard to case, A-Z folded as the
// database's NOCASE collation folds them, so that "Christmas" stands among the c's; two words that
// differ only in case ("March", "march") then go by their bytes, so every word has one fixed row
// and windows of rows neither repeat nor skip one. The store's statements sort the same way
// ("order by wl_tWord collate nocase, wl_tWord", served by the Words_Library_az index), and the
// screens search and sort lists held in memory with the functions below.
#pragma once

#include <string_view>

namespace WordOrder {

// <0, 0 or >0 as `a` sorts before, with or after `b` when case is ignored.
int compareIgnoringCase(std::string_view a, std::string_view b);

// Whether `a` stands before `b` in the lists' A-Z order (case ignored, then bytes).
bool before(std::string_view a, std::string_view b);

// Whether `word` begins with `prefix`, case ignored.
bool beginsWith(std::string_view word, std::string_view prefix);

}  // namespace WordOrder

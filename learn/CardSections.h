// The nine sections of the word card by code (as "review_list_sort" numbers them): the title of
// the header, the personal value that records whether the section is expanded, and the name of
// its fold animation.
#pragma once

#include <string>

namespace CardSections {

inline constexpr int kCount = 9;

struct Info {
  int code;
  const char* title;
  const char* flagKey;
  const char* animationName;
};

// Codes 1 to 9; nullptr for any other code.
const Info* info(int code);

// Whether the section is expanded ("1"); anything else, a missing value too, is collapsed.
bool isExpanded(int code);
// Stores the flag ("1" or "0") for the next backup.
void setExpanded(int code, bool expanded);

}  // namespace CardSections

// The personal value "review_list_sort": the order of the word card's nine sections and which of
// them are shown. Nine entries joined by ":"; an entry's last character is the section's code, and
// an entry of two or more characters is shown ("13" shows the examples, "3" hides them).
#pragma once

#include <string>
#include <vector>

namespace ReviewListSort {

inline constexpr const char* kKey = "review_list_sort";
// Examples, mnemonic, English meaning, synonyms and antonyms, phrases, other related words,
// grammar note, study information, word editor; all shown.
inline constexpr const char* kDefault = "13:11:16:17:18:19:12:14:15";

// Section codes.
enum Section {
  kMnemonic = 1,
  kGrammar = 2,
  kExamples = 3,
  kStudyInfo = 4,
  kEditor = 5,
  kEnglishMeaning = 6,
  kSynonyms = 7,
  kPhrases = 8,
  kOtherWords = 9,
};

struct Entry {
  int code = 0;  // 0 when the entry's last character is not a digit
  bool shown = false;
};

// The entries as stored, in order (the default for an empty value); empty entries are kept.
std::vector<std::string> splitEntries(const std::string& value);
// The entry's code and visibility; an empty entry reads as code 0, hidden.
Entry readEntry(const std::string& entry);
// The non-empty entries of a value (the default for an empty value), in display order.
std::vector<Entry> parse(const std::string& value);

// An entry's stored text: the code, with "1" in front when shown.
std::string entryText(const Entry& entry);
// The value for entries in display order.
std::string format(const std::vector<Entry>& entries);

}  // namespace ReviewListSort

// Chinese meanings of English words found by reverse lookup in the Chinese-English dictionary:
// every English gloss of an entry is an index key (lower case, without notes in parentheses and
// without a leading "to" or article). Candidates for a word are ranked by
//   - how early the gloss stands in its entry (an entry lists its main sense first),
//   - whether the gloss suits the part of speech (verbs are glossed "to ..."),
//   - how much the Chinese word carries this sense: how many other entries contain it and use
//     the English word in their glosses (水 in 饮水, 水管, 喝水 ...; 去 in 出去, 回去 ...), which
//     lifts the everyday word over a rare synonym or a bound morpheme, and a little how many
//     entries contain it at all,
//   - a short word (1 or 2 characters) over a long one, and
//   - none of the notes that mark a rare usage (literary, dialect, old, Taiwan, slang ...).
// Entries of surnames, names (capitalised pinyin), variants and cross references take no part.
#pragma once

#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace tools {

struct ChineseCandidate {
  std::string chinese;
  double score = 0;
};

class ChineseMeanings {
 public:
  // Reads the plain file of the dictionary ("simplified TAB traditional TAB pinyin TAB gloss ...").
  // Entries glossed with one of the `unwanted` English words are left out.
  static ChineseMeanings load(const std::string& path, const std::set<std::string>& unwanted);

  // The best Chinese words for `english` in part of speech `pos` (WordNet letters), best first,
  // at most `limit`, each at least a fraction of the best one's score.
  // With `strict`, only glosses that suit the part of speech count.
  std::vector<ChineseCandidate> lookup(const std::string& english, char pos, size_t limit,
                                       bool strict) const;

 private:
  struct Gloss {
    int entry = 0;
    int position = 0;  // index of the gloss in its entry
    bool verbal = false;
    bool rare = false;
  };
  struct Entry {
    std::string chinese;
    int glossCount = 0;
  };
  void add(const std::string& chinese, const std::vector<std::string>& glosses);
  void countCompounds();
  // Other entries whose headword contains `chinese` and whose glosses use the word `key`.
  int support(const std::string& chinese, const std::string& key) const;

  std::set<std::string> unwanted_;
  std::vector<Entry> entries_;
  std::unordered_map<std::string, std::vector<Gloss>> index_;
  std::unordered_map<std::string, int> compounds_;
  std::unordered_map<std::string, std::vector<int>>
      glossWords_;  // word of a gloss -> entries  // entries whose headword contains the word
};

// The index key of an English gloss or word: "To Run (of water)" -> "run". Sets `verbal` when the
// gloss began with "to" and `rare` when one of its notes marks a rare usage.
std::string glossKey(const std::string& gloss, bool* verbal, bool* rare);

}  // namespace tools

// The word table behind the headword index and the extraction's distinct tokens.
#include "extract/WordTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(WordTable, WordsKeepTheirFirstNumberThroughGrowthAndNearMissesAreAbsent) {
  // Words of every length around the eight-byte steps of the hash, many enough to grow the
  // table several times from its smallest size.
  std::vector<std::string> words;
  for (int i = 0; i < 3000; ++i)
    words.push_back(std::string(1 + i % 19, static_cast<char>('a' + i % 26)) + std::to_string(i));
  WordTable table;
  bool added = false;
  for (size_t i = 0; i < words.size(); ++i) {
    EXPECT_EQ(table.insert(words[i], added), i);
    EXPECT_TRUE(added);
  }
  ASSERT_EQ(table.size(), words.size());
  for (size_t i = 0; i < words.size(); ++i) {
    EXPECT_EQ(table.find(words[i]), i);
    EXPECT_EQ(table.insert(words[i], added), i);  // a second insert adds nothing
    EXPECT_FALSE(added);
    EXPECT_EQ(table.at(static_cast<uint32_t>(i)), words[i]);
  }
  EXPECT_EQ(table.size(), words.size());

  // Prefixes, extensions and one changed byte past the first eight are different words.
  const std::string& long_word = words[18];  // nineteen letters and its number
  EXPECT_EQ(table.find(long_word.substr(0, long_word.size() - 1)), WordTable::kAbsent);
  EXPECT_EQ(table.find(long_word + "s"), WordTable::kAbsent);
  std::string changed = long_word;
  changed[10] = 'z';
  EXPECT_EQ(table.find(changed), WordTable::kAbsent);
  EXPECT_EQ(table.find(""), WordTable::kAbsent);
  EXPECT_EQ(table.insert("", added), words.size());  // the empty word is a word like any other
  EXPECT_EQ(table.find(""), words.size());
}

TEST(WordTable, EveryByteOfAWordCountsAtEveryLength) {
  // Short words are hashed and compared in overlapping loads: a word that differs from another
  // in any one byte, at any length, is still another word.
  std::vector<std::string> words;
  for (size_t length = 1; length <= 24; ++length) words.push_back(std::string(length, 'a'));
  std::vector<std::string> changed;  // the table views them: kept apart, never moved
  for (const std::string& word : words)
    for (size_t i = 0; i < word.size(); ++i) {
      changed.push_back(word);
      changed.back()[i] = 'b';
    }
  WordTable table;
  bool added = false;
  for (const std::string& word : words) table.insert(word, added);
  for (const std::string& word : changed) {
    EXPECT_EQ(table.find(word), WordTable::kAbsent) << word;
    const size_t before = table.size();
    EXPECT_EQ(table.insert(word, added), before) << word;
    EXPECT_TRUE(added) << word;
  }
  for (size_t i = 0; i < words.size(); ++i) EXPECT_EQ(table.find(words[i]), i);
}

}  // namespace

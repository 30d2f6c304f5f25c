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

}  // namespace

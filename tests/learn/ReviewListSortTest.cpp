#include <gtest/gtest.h>

#include "learn/ReviewListSort.h"

namespace {

using ReviewListSort::Entry;

TEST(ReviewListSort, EmptyValueReadsAsTheDefaultWithEverySectionShown) {
  std::vector<Entry> entries = ReviewListSort::parse("");
  ASSERT_EQ(entries.size(), 9u);
  std::vector<int> codes;
  for (const Entry& e : entries) {
    codes.push_back(e.code);
    EXPECT_TRUE(e.shown);
  }
  EXPECT_EQ(codes, (std::vector<int>{3, 1, 6, 7, 8, 9, 2, 4, 5}));
  EXPECT_EQ(ReviewListSort::format(entries), "13:11:16:17:18:19:12:14:15");
}

TEST(ReviewListSort, HiddenEntriesAndTheirOrderSurviveARoundTrip) {
  const std::string value = "11:16:17:18:19:12:14:15:3";
  std::vector<Entry> entries = ReviewListSort::parse(value);
  ASSERT_EQ(entries.size(), 9u);
  EXPECT_EQ(entries.back().code, 3);
  EXPECT_FALSE(entries.back().shown);
  EXPECT_EQ(ReviewListSort::format(entries), value);
}

TEST(ReviewListSort, LongEntriesAreShownAndSavedBackAsTwoCharacters) {
  std::vector<Entry> entries = ReviewListSort::parse("113:2");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].code, 3);
  EXPECT_TRUE(entries[0].shown);
  EXPECT_EQ(ReviewListSort::format(entries), "13:2");
}

TEST(ReviewListSort, EmptyAndNonDigitEntriesLoadNothing) {
  EXPECT_EQ(ReviewListSort::splitEntries("13::1x").size(), 3u);
  std::vector<Entry> entries = ReviewListSort::parse("13::1x");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].code, 0);
  EXPECT_EQ(ReviewListSort::readEntry("").code, 0);
  EXPECT_FALSE(ReviewListSort::readEntry("").shown);
}

}  // namespace

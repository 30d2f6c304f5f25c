// The open data's texts as the card shows them: plain quotes in glosses, and similar-looking
// words that really are one edit apart.
#include <gtest/gtest.h>

#include "tools/library/PlainText.h"

namespace {

using wordtext::oneEditApart;
using wordtext::plainGloss;

TEST(PlainText, GlossQuotesBecomePlainQuotesAndApostrophesInsideStay) {
  EXPECT_EQ(plainGloss("be worthy of (usually followed by `to')"),
            "be worthy of (usually followed by \"to\")");
  EXPECT_EQ(plainGloss("`don't' and `can't'"), "\"don't\" and \"can't\"");
  EXPECT_EQ(plainGloss("a stray ` mark"), "a stray \" mark");
  EXPECT_EQ(plainGloss("the dog's bone"), "the dog's bone");
}

TEST(PlainText, SimilarWordsAreOneEditApartNotWordsThatShareLetters) {
  EXPECT_TRUE(oneEditApart("able", "table"));   // a letter more
  EXPECT_TRUE(oneEditApart("table", "able"));
  EXPECT_TRUE(oneEditApart("able", "ably"));    // a letter changed
  EXPECT_TRUE(oneEditApart("form", "from"));    // two neighbours swapped
  EXPECT_FALSE(oneEditApart("able", "blue"));   // two edits
  EXPECT_FALSE(oneEditApart("able", "babe"));
  EXPECT_FALSE(oneEditApart("able", "able"));
  EXPECT_FALSE(oneEditApart("able", "tables"));
  EXPECT_FALSE(oneEditApart("abcd", "badc"));   // two swaps
}

}  // namespace

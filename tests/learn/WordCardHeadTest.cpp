#include <gtest/gtest.h>

#include "learn/WordCardHead.h"

namespace {

TEST(WordCardHead, PhoneticsLine) {
  EXPECT_EQ(WordCardHead::phoneticsLine(WordPhonetics{"bʊk", "bʊk"}), "[bʊk]");
  EXPECT_EQ(WordCardHead::phoneticsLine(WordPhonetics{"bʊk", ""}), "[bʊk]");
  EXPECT_EQ(WordCardHead::phoneticsLine(WordPhonetics{"ˈæpəl", "ˈæpl"}), "美[ˈæpəl] 英[ˈæpl]");
  EXPECT_EQ(WordCardHead::phoneticsLine(WordPhonetics{"", "ˈæpl"}), "");
  EXPECT_EQ(WordCardHead::phoneticsLine(std::nullopt), "");
}

TEST(WordCardHead, MeaningsOnePerLineWithStoredBreaks) {
  EXPECT_EQ(WordCardHead::meaningLines({}), "");
  EXPECT_EQ(WordCardHead::meaningLines({{"n. 书\\n本子", 1}, {"v. 预订", 2}}),
            "n. 书\n本子\nv. 预订");
}

TEST(WordCardHead, ExtractionTextTakesTheShownSectionsOnly) {
  WordCardContent c;
  c.word = "book";
  EXPECT_EQ(WordCardHead::extractionText(c), "");
  c.inflections = {"#books $booked %booked"};
  c.examples = {{"This book.", "这本书。", 1}, {"We booked.", "订了。", 2}};
  c.englishMeanings = {"a set of pages", "second"};
  c.antonyms = {"ant"};
  c.synonyms = {"syn"};
  c.phrases = {"by the book"};
  c.paronyms = {"booklet"};
  c.similar = {"brook"};
  EXPECT_EQ(WordCardHead::extractionText(c), "books booked ");
  c.show_example = c.show_englishMeaning = c.show_jinfan = c.show_phrases = c.show_other = true;
  EXPECT_EQ(WordCardHead::extractionText(c),
            "books booked This book. We booked. a set of pages ant syn by the book booklet brook ");
  c.antonyms.clear();
  c.show_example = false;
  EXPECT_EQ(WordCardHead::extractionText(c),
            "books booked a set of pages syn by the book booklet brook ");
}

}  // namespace

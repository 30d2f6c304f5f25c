#include "store/WordText.h"

#include <gtest/gtest.h>

namespace {

TEST(WordText, KnownVectorsAndRoundTripsUnderTheSameIdOnly) {
  EXPECT_EQ(WordText::rekey("bac", 42), "abc");
  EXPECT_EQ(WordText::scramble("abcdef", 1), "fcadeb");
  const std::string texts[] = {"n. 苹果；苹果树", "She cut the apple into four pieces.",
                               "我们在那家新餐厅订了一张六人桌。", "line\nbreak\ttab"};
  for (const std::string& text : texts) {
    for (int id : {0, 1, 2, 500, 70000, -3}) {
      std::string stored = WordText::scramble(text, id);
      EXPECT_EQ(WordText::rekey(stored, id), text) << text << " id " << id;
    }
    EXPECT_NE(WordText::rekey(WordText::scramble(text, 11), 12), text);
  }
}

TEST(WordText, ShortBrokenAndAstralTextsReadWithoutFault) {
  EXPECT_EQ(WordText::rekey("", 7), "");
  EXPECT_EQ(WordText::rekey("苹果", 7), "苹果");  // two UTF-16 units stay as they are
  EXPECT_TRUE(WordText::isScramblable("n. 咖啡馆 café"));
  EXPECT_FALSE(WordText::isScramblable("music 𝄞"));
  EXPECT_FALSE(WordText::isScramblable("ab\xff"));
  // Reading such texts back never fails, even where it cannot be exact.
  EXPECT_FALSE(WordText::rekey(WordText::scramble("😀 smile 😀", 4), 4).empty());
  EXPECT_FALSE(WordText::rekey("ab\xff\xfe\xc3", 3).empty());
  EXPECT_EQ(WordText::rekey(std::string("\xe4\xb8", 2), 3), std::string("\xe4\xb8", 2));
}

}  // namespace

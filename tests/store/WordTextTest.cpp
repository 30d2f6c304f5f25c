#include "store/WordText.h"

#include <gtest/gtest.h>

#include "store/SqlMgrController.h"

namespace {

TEST(WordText, KnownVectors) {
  EXPECT_EQ(WordText::rekey("fcadeb", 1), "abcdef");
  EXPECT_EQ(WordText::rekey("bac", 42), "abc");
  EXPECT_EQ(WordText::scramble("abcdef", 1), "fcadeb");
  EXPECT_EQ(SqlMgrController::rekey("bac", 42), "abc");
}

TEST(WordText, ShortTextsStayAsTheyAre) {
  EXPECT_EQ(WordText::rekey("", 7), "");
  EXPECT_EQ(WordText::rekey("a", 7), "a");
  EXPECT_EQ(WordText::rekey("苹果", 7), "苹果");  // two UTF-16 units
  EXPECT_NE(WordText::scramble("abc", 9), "abc");
}

TEST(WordText, RoundTripsUnderTheSameIdOnly) {
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

TEST(WordText, OnlyTextsOfTheBasicPlaneCanBeStored) {
  EXPECT_TRUE(WordText::isScramblable("n. 咖啡馆 café"));
  EXPECT_FALSE(WordText::isScramblable("music 𝄞"));
  EXPECT_FALSE(WordText::isScramblable("ab\xff"));
  // Reading such a text back never fails, even where it cannot be exact.
  EXPECT_FALSE(WordText::rekey(WordText::scramble("😀 smile 😀", 4), 4).empty());
}

TEST(WordText, BrokenBytesReadWithoutFault) {
  std::string broken = "ab\xff\xfe\xc3";
  std::string text = WordText::rekey(broken, 3);
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(WordText::rekey(std::string("\xe4\xb8", 2), 3), std::string("\xe4\xb8", 2));
}

}  // namespace

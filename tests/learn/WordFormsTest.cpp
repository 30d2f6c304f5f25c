#include <gtest/gtest.h>

#include "learn/WordForms.h"

namespace {

std::string red(const std::string& text) {
  return "<span style=\"color:#ff0000\">" + text + "</span>";
}

TEST(WordForms, FormsAreTheLetterRunsOfTheInflectionTextEachOnce) {
  EXPECT_EQ(WordForms::getTransformData("$got %got ^getting @gets"),
            (std::vector<std::string>{"got", "getting", "gets"}));
  EXPECT_EQ(WordForms::getTransformData("#Mice #mice"), (std::vector<std::string>{"Mice", "mice"}));
  EXPECT_TRUE(WordForms::getTransformData("@ # 12").empty());
}

TEST(WordForms, MarkersBecomeTheNamesOfTheirForms) {
  EXPECT_EQ(WordForms::getOtherMeaningLocation("$got %got"), "过去式got 过去分词got");
  EXPECT_EQ(WordForms::getOtherMeaningLocation("@a #b ^c &d *e"),
            "第三人称单数a 复数b 现在分词c 比较级d 最高级e");
}

TEST(WordForms, HighlightKeepsTheCaseOfTheSentenceAndMarksWholeWordsOnly) {
  EXPECT_EQ(WordForms::findStr("Book it. The booking was a book.", "book"),
            red("Book") + " it. The booking was a " + red("book") + ".");
  EXPECT_EQ(WordForms::findStr("notebook", "book"), "notebook");
  EXPECT_EQ(WordForms::findStr("书book书", "book"),
            "书book书");  // letters of any script join words
  EXPECT_EQ(WordForms::findStr("“book”，", "book"), "“" + red("book") + "”，");
}

TEST(WordForms, FormsWithPatternCharactersMatchOnlyThemselves) {
  EXPECT_EQ(WordForms::findStr("at 9 a.m. and abmx", "a.m"), "at 9 " + red("a.m") + ". and abmx");
  EXPECT_EQ(WordForms::findStr("c++ or cxx", "c+"), "c++ or cxx");  // no word end after the "+"
  EXPECT_EQ(WordForms::findStr("a (b) c", "(b"), "a (b) c");        // no word start before "("
  EXPECT_EQ(WordForms::findStr("x", "["), "x");
}

TEST(WordForms, LaterFormsLeaveTheMarkupOfEarlierOnesIntact) {
  const std::string once = WordForms::highlightForms("a span of time", {"span", "span", "color"});
  EXPECT_EQ(once, "a " + red(red("span")) + " of time");
  EXPECT_EQ(WordForms::highlightForms("x", {""}), "x");
  EXPECT_EQ(WordForms::highlightForms("line<br/>break", {"br"}), "line<br/>break");
}

}  // namespace

#include <gtest/gtest.h>

#include <memory>

#include "learn/WordCardPages.h"
#include "platform/base/Bundle.h"
#include "platform/base/Clock.h"

namespace {

using namespace WordCardPages;

const std::string kNone = "<div style = 'font-size:15px;color:#686868'>无<br/></div>";

std::string red(const std::string& text) {
  return "<span style=\"color:#ff0000\">" + text + "</span>";
}
std::string translation(const std::string& text) {
  return "<span style = \"font-size:15px;color:#686868\">" + text + "</span>";
}
std::string example(const std::string& inner) {
  return "<div style = \"font-size:16px\">" + inner + "</div>";
}
std::string body(const std::string& inner) {
  return "<body style=\"font-size:15px\">" + inner + "</body>";
}

WordCardContent bookWithTwoMeanings() {
  WordCardContent c;
  c.word = "book";
  c.meanings = {{"n. 书\n本子", 1}, {"v. 预订", 2}};
  c.examples = {{"This book is mine.", "这本书是我的。", 1},
                {"Books and books.", "书。", 1},
                {"We booked a table.", "我们订了一张桌子。", 2}};
  return c;
}

TEST(WordCardExamples, WithoutEditorsEachExampleStandsAloneAndTheLastEndsWithOneBreak) {
  WordCardContent c = bookWithTwoMeanings();
  EXPECT_EQ(examplesPage(c, {"book", "books", "booked"}),
            example("\nThis " + red("book") + " is mine.\n<br/>" + translation("这本书是我的。") +
                    "<br/><br/>") +
                example("\n" + red("Books") + " and " + red("books") + ".\n<br/>" +
                        translation("书。") + "<br/><br/>") +
                example("\nWe " + red("booked") + " a table.\n<br/>" +
                        translation("我们订了一张桌子。") + "<br/>"));
}

TEST(WordCardExamples, WithEditorsEachMeaningGetsAHeader) {
  WordCardContent c = bookWithTwoMeanings();
  c.examples.pop_back();
  c.editors = {"1400000000 小明"};
  const std::string h15 = "<div style = \"font-size:15px;color:#000;background:#ccc;width:auto;\">";
  EXPECT_EQ(
      examplesPage(c, {}),
      h15 + "n. 书 本子</div>" +
          example("\nThis book is mine.\n<br/>" + translation("这本书是我的。") + "<br/><br/>") +
          example("\nBooks and books.\n<br/>" + translation("书。") + "<br/>"));
}

TEST(WordCardExamples, ABracketedHeadwordUsesTheCompactLayout) {
  WordCardContent c = bookWithTwoMeanings();
  c.word = "[book]";
  const std::string h14 = "<div style = \"font-size:14px;color:#000;background:#ccc;width:auto;\">";
  EXPECT_EQ(examplesPage(c, {}),
            h14 + "n. 书 本子</div>" +
                example("This book is mine.\n " + translation("这本书是我的。") + "<br/>") +
                example("Books and books.\n " + translation("书。") + "<br/>") + "<br/>" + h14 +
                "v. 预订</div>" +
                example("We booked a table.\n " + translation("我们订了一张桌子。")));
}

TEST(WordCardExamples, NothingToShowGivesTheNoExamplesText) {
  const std::string none =
      "<span style = \"color:#686868\">" + plat::localized("word_mgr5") + "</span>";
  WordCardContent c = bookWithTwoMeanings();
  c.examples.clear();
  EXPECT_EQ(examplesPage(c, {}), none);
  c = bookWithTwoMeanings();
  c.meanings.clear();
  EXPECT_EQ(examplesPage(c, {}), none);
  c = bookWithTwoMeanings();
  c.meanings = {{"adj. 无关", 9}};  // no example belongs to this meaning
  EXPECT_EQ(examplesPage(c, {}), none);
}

TEST(WordCardSections, StudyInformation) {
  EXPECT_EQ(studyInfoPage(std::nullopt), "");
  EXPECT_EQ(studyInfoPage(WordAnswerCounts{}),
            body("<span style=\"color:#686868\">" + plat::localized("word_mgr4") + "</span>"));
  const std::string cell = "<div style=\"float:left;padding:2px 15px\">";
  EXPECT_EQ(studyInfoPage(WordAnswerCounts{3, 2, 1}),
            body(cell + plat::localized("word_mgr6") + "6</div>" + cell +
                 plat::localized("word_mgr1") + "3</div>" + cell + plat::localized("word_mgr2") +
                 "2</div>" + cell + plat::localized("word_mgr3") + "1</div>" +
                 "<br/><p style=\"clear:both;font-size:12px;color:#686868\">" +
                 plat::localized("word_mgr11") + "</p>"));
}

class WordCardEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    auto clock = std::make_shared<plat::VirtualClock>();
    clock->setZone(plat::TimeZone::fixed(8 * 3600));
    plat::Clock::install(clock);
  }
  void TearDown() override { plat::Clock::install(nullptr); }

  const std::string credit_ = "<div style='font-size:14px;color:#686868'>登录" +
                              std::string(kSiteHost) + "参与词汇编辑活动</div>";
};

TEST_F(WordCardEditor, NotEditedShowsTheNoticeAndTheCreditLine) {
  EXPECT_EQ(editorPage({}),
            "<div style = 'font-size:15px;color:#686868'>该单词暂未被学员重新编辑<br/></div>\n" +
                credit_);
}

TEST_F(WordCardEditor, EditedShowsTheEscapedNameWithItsSpaceAndTheLocalDate) {
  EXPECT_EQ(computationTime("1400000000"), "2014年05月14日");
  EXPECT_EQ(
      editorPage({"1400000000 Tom & <Jerry>", "1 other"}),
      "<div style = 'font-size:15px;color:#333'>该单词由<b><u> Tom &amp; &lt;Jerry&gt;</u></b>"
      "于2014年05月14日重新编辑整理</div><br/>" +
          credit_);
  EXPECT_EQ(
      editorPage({"nobody"}),
      "<div style = 'font-size:15px;color:#333'>该单词由<b><u>nobody</u></b>于重新编辑整理</div>"
      "<br/>" +
          credit_);
}

TEST(WordCardSections, EnglishMeaningTurnsStoredAndRealBreaksIntoMarkup) {
  EXPECT_EQ(englishMeaningPage({}), kNone);
  EXPECT_EQ(englishMeaningPage({"n. pages\\nv. arrange\nmore", "second"}),
            "n. pages<br/><br/>v. arrange<br/>more");
}

TEST(WordCardSections, RelatedWordPairsPutTheirLinesInOrder) {
  const std::string syn = "<span style=\"font-size:15px;color:#399c66\">近义词：</span>glad";
  const std::string ant = "<span style=\"font-size:15px;color:#399c66\">反义词：</span>sad";
  EXPECT_EQ(jinfanPage({"sad"}, {"glad", "x"}), syn + "<br/>" + ant);
  EXPECT_EQ(jinfanPage({"sad"}, {}), ant);
  EXPECT_EQ(jinfanPage({}, {"glad"}), syn);
  EXPECT_EQ(jinfanPage({}, {}), kNone);

  const std::string der = "<span style=\"font-size:15px;color:#399c66\">同源/派生词：</span>joy";
  const std::string sim = "<span style=\"font-size:15px;color:#399c66\">形近词：</span>jay";
  EXPECT_EQ(otherWordsPage({"joy"}, {"jay"}), der + "<br>" + sim);
  EXPECT_EQ(otherWordsPage({}, {"jay"}), sim);
  EXPECT_EQ(otherWordsPage({}, {}), kNone);

  EXPECT_EQ(phrasesPage({"a <b>b</b>", "c"}), "a <b>b</b>");
  EXPECT_EQ(phrasesPage({}), kNone);
}

TEST(WordCardSections, NotesAreEscapedAndFallBackToTheirPlaceholders) {
  const std::string own = "<span style=\"font-size:15px;color:#399c66\">我的助记：</span>";
  const std::string adopted = "<span style=\"font-size:15px;color:#399c66\">我的采纳：</span>";
  EXPECT_EQ(mnemonicPage({"a<b & 'c'", "d\"e"}),
            body(own + "a&lt;b &amp; &#146;c&#146;" + "<br/>" + adopted + "d&quot;e"));
  EXPECT_EQ(mnemonicPage({"", "adopted"}), body(adopted + "adopted"));
  EXPECT_EQ(
      mnemonicPage({}),
      body("<span "
           "style=\"font-size:15px;color:#686868\">无助记，点击上方按钮进行编辑或采纳</span>"));
  EXPECT_EQ(grammarPage({"mine", ""}),
            body("<span style=\"font-size:15px;color:#399c66\">我的语法：</span>mine"));
  EXPECT_EQ(
      grammarPage({}),
      body("<span "
           "style=\"font-size:15px;color:#686868\">无语法，点击上方按钮进行编辑或采纳</span>"));
}

}  // namespace

// The word card's pages: what each shows and in which order, what is highlighted and what the
// learner typed arriving escaped. The markup itself is checked by the card's pictures.
#include <gtest/gtest.h>

#include <memory>

#include "learn/WordCardPages.h"
#include "platform/base/Bundle.h"
#include "platform/base/Clock.h"

namespace {

using namespace WordCardPages;

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}
bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}
// Whether the parts come in this order.
bool inOrder(const std::string& text, const std::vector<std::string>& parts) {
  size_t at = 0;
  for (const std::string& part : parts) {
    at = text.find(part, at);
    if (at == std::string::npos) return false;
  }
  return true;
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

TEST(WordCardPages, ExamplesHighlightEveryWordFormAndFollowTheirMeanings) {
  WordCardContent c = bookWithTwoMeanings();
  const std::string plain = examplesPage(c, {"book", "books", "booked"});
  EXPECT_EQ(count(plain, "color:#ff0000"), 4u);  // book, Books, books, booked
  EXPECT_TRUE(inOrder(plain, {"This", "这本书是我的。", " and ", "书。", "We", "我们订"}));
  EXPECT_FALSE(has(plain, "n. 书"));  // meaning headers only once the word was edited

  c.editors = {"1400000000 小明"};
  const std::string edited = examplesPage(c, {});
  EXPECT_TRUE(inOrder(edited, {"n. 书 本子", "This book", "Books", "v. 预订", "We booked"}));
  EXPECT_EQ(count(edited, "color:#ff0000"), 0u);

  c.word = "[book]";  // the compact layout of a bracketed headword has the headers too
  EXPECT_TRUE(inOrder(examplesPage(c, {}), {"n. 书 本子", "This book", "v. 预订", "We booked"}));

  const std::string none = plat::localized("word_mgr5");
  for (auto change : {+[](WordCardContent& w) { w.examples.clear(); },
                      +[](WordCardContent& w) { w.meanings.clear(); },
                      +[](WordCardContent& w) {
                        w.meanings = {{"adj. 无关", 9}};
                      }}) {
    WordCardContent empty = bookWithTwoMeanings();
    change(empty);
    EXPECT_TRUE(has(examplesPage(empty, {}), none));
  }
}

TEST(WordCardPages, StudyInformationCountsTheAnswers) {
  EXPECT_EQ(studyInfoPage(std::nullopt), "");
  EXPECT_TRUE(has(studyInfoPage(WordAnswerCounts{}), plat::localized("word_mgr4")));
  const std::string counted = studyInfoPage(WordAnswerCounts{3, 2, 1});
  EXPECT_TRUE(
      inOrder(counted, {plat::localized("word_mgr6") + "6", plat::localized("word_mgr1") + "3",
                        plat::localized("word_mgr2") + "2", plat::localized("word_mgr3") + "1"}));
}

TEST(WordCardPages, EditorsAreEscapedAndDatedInLocalTime) {
  auto clock = std::make_shared<plat::VirtualClock>();
  clock->setZone(plat::TimeZone::fixed(8 * 3600));
  plat::Clock::install(clock);
  EXPECT_EQ(computationTime("1400000000"), "2014年05月14日");
  const std::string edited = editorPage({"1400000000 Tom & <Jerry>", "1 other"});
  EXPECT_TRUE(has(edited, " Tom &amp; &lt;Jerry&gt;"));
  EXPECT_TRUE(has(edited, "2014年05月14日"));
  EXPECT_FALSE(has(edited, "other"));
  EXPECT_TRUE(has(editorPage({}), "该单词暂未被学员重新编辑"));
  for (const std::string& page : {edited, editorPage({})}) EXPECT_TRUE(has(page, kSiteHost));
  plat::Clock::install(nullptr);
}

TEST(WordCardPages, WordLibrarySectionsKeepTheirOrderAndSayWhenEmpty) {
  const std::string none = "无<br/>";
  EXPECT_EQ(englishMeaningPage({"n. pages\\nv. arrange\nmore", "second"}),
            "n. pages<br/><br/>v. arrange<br/>more");
  EXPECT_TRUE(inOrder(jinfanPage({"sad"}, {"glad", "x"}), {"近义词", "glad", "反义词", "sad"}));
  EXPECT_FALSE(has(jinfanPage({"sad"}, {}), "近义词"));
  EXPECT_TRUE(inOrder(otherWordsPage({"joy"}, {"jay"}), {"同源/派生词", "joy", "形近词", "jay"}));
  EXPECT_FALSE(has(otherWordsPage({}, {"jay"}), "同源"));
  EXPECT_EQ(phrasesPage({"a <b>b</b>", "c"}), "a <b>b</b>");  // the library's own markup
  for (const std::string& page :
       {englishMeaningPage({}), jinfanPage({}, {}), otherWordsPage({}, {}), phrasesPage({})})
    EXPECT_TRUE(has(page, none));
}

TEST(WordCardPages, NotesAreEscapedAndFallBackToTheirPlaceholders) {
  const std::string both = mnemonicPage({"a<b & 'c'", "d\"e"});
  EXPECT_TRUE(inOrder(both, {"我的助记", "a&lt;b &amp; &#146;c&#146;", "我的采纳", "d&quot;e"}));
  EXPECT_FALSE(has(mnemonicPage({"", "adopted"}), "我的助记"));
  EXPECT_TRUE(has(mnemonicPage({}), "无助记"));
  EXPECT_TRUE(has(grammarPage({"mine", ""}), "我的语法：</span>mine"));
  EXPECT_TRUE(has(grammarPage({}), "无语法"));
}

}  // namespace

// The word card's content: its head lines, the word forms highlighted, the section pages, and what
// a real learn.db built from the fixture words puts into them.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <memory>

#include "learn/WordCardHead.h"
#include "learn/WordCardPages.h"
#include "learn/WordForms.h"
#include "learn/WordsMgr.h"
#include "platform/base/Bundle.h"
#include "platform/base/Clock.h"
#include "store/CallDB.h"
#include "tests/store/StudyFixture.h"
#include "ui/MakerWebSite.h"

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
std::string red(const std::string& text) {
  return "<span style=\"color:#ff0000\">" + text + "</span>";
}

TEST(WordCardHead, PhoneticsAndMeaningLines) {
  EXPECT_EQ(WordCardHead::phoneticsLine(WordPhonetics{"bʊk", ""}), "[bʊk]");
  EXPECT_EQ(WordCardHead::phoneticsLine(WordPhonetics{"ˈæpəl", "ˈæpl"}), "美[ˈæpəl] 英[ˈæpl]");
  EXPECT_EQ(WordCardHead::phoneticsLine(WordPhonetics{"", "ˈæpl"}), "");
  EXPECT_EQ(WordCardHead::phoneticsLine(std::nullopt), "");
  EXPECT_EQ(WordCardHead::meaningLines({{"n. 书\\n本子", 1}, {"v. 预订", 2}}),
            "n. 书\n本子\nv. 预订");
}

TEST(WordForms, FormsAreTheLetterRunsOfTheInflectionTextEachOnceUnderTheirNames) {
  EXPECT_EQ(WordForms::getTransformData("$got %got ^getting @gets"),
            (std::vector<std::string>{"got", "getting", "gets"}));
  EXPECT_EQ(WordForms::getTransformData("#Mice #mice"), (std::vector<std::string>{"Mice", "mice"}));
  EXPECT_TRUE(WordForms::getTransformData("@ # 12").empty());
  EXPECT_EQ(WordForms::getOtherMeaningLocation("@a #b ^c &d *e $f %g"),
            "第三人称单数a 复数b 现在分词c 比较级d 最高级e 过去式f 过去分词g");
}

TEST(WordForms, HighlightMarksWholeWordsInTheirCaseAndFormsMatchOnlyThemselves) {
  EXPECT_EQ(WordForms::findStr("Book it. The booking was a book.", "book"),
            red("Book") + " it. The booking was a " + red("book") + ".");
  EXPECT_EQ(WordForms::findStr("notebook", "book"), "notebook");
  EXPECT_EQ(WordForms::findStr("书book书", "book"), "书book书");  // letters of any script
  EXPECT_EQ(WordForms::findStr("“book”，", "book"), "“" + red("book") + "”，");
  EXPECT_EQ(WordForms::findStr("at 9 a.m. and abmx", "a.m"), "at 9 " + red("a.m") + ". and abmx");
  EXPECT_EQ(WordForms::findStr("c++ or cxx", "c+"), "c++ or cxx");  // no word end after the "+"
  EXPECT_EQ(WordForms::findStr("a (b) c", "(b"), "a (b) c");        // no word start before "("
  EXPECT_EQ(WordForms::findStr("x", "["), "x");
  // Later forms leave the markup of earlier ones intact.
  EXPECT_EQ(WordForms::highlightForms("a span of time", {"span", "span", "color"}),
            "a " + red(red("span")) + " of time");
  EXPECT_EQ(WordForms::highlightForms("x", {""}), "x");
  EXPECT_EQ(WordForms::highlightForms("line<br/>break", {"br"}), "line<br/>break");
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

  // An example the open data gives no Chinese for shows its sentence alone: no empty
  // translation line, in either layout.
  c.examples[1].translation = "";
  for (const char* word : {"[book]", "book"}) {
    c.word = word;
    const std::string page = examplesPage(c, {});
    EXPECT_EQ(count(page, "font-size:15px;color:#686868"), 2u) << word;
    EXPECT_FALSE(has(page, "<br/><br/><br/>")) << word;
  }
  c.word = "[book]";
  EXPECT_TRUE(has(examplesPage(c, {}), "Books and books.<br/>"));
  c.word = "book";
  c.editors.clear();
  EXPECT_TRUE(has(examplesPage(c, {}), "\nBooks and books.\n<br/><br/>")) << "a gap to the next";

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
  // The credit line names the configured web site, the one the help list shows; with none
  // configured there is no line rather than an address nobody can visit.
  ASSERT_EQ(MakerWebSite::address(), "");
  EXPECT_FALSE(has(edited, "参与词汇编辑活动"));
  EXPECT_FALSE(has(editorPage({}), "参与词汇编辑活动"));
  ::setenv("VOCAB_MAKER_SITE", "http://127.0.0.1:9/site", 1);
  EXPECT_TRUE(has(editorPage({"1400000000 Tom"}), "登录http://127.0.0.1:9/site参与词汇编辑活动"));
  EXPECT_TRUE(has(editorPage({}), "登录http://127.0.0.1:9/site参与词汇编辑活动"));
  ::unsetenv("VOCAB_MAKER_SITE");
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
  EXPECT_TRUE(has(grammarPage({"mine", ""}), "我的语法：</span>mine"));
  EXPECT_TRUE(has(grammarPage({}), "无语法"));
}

using WordsMgrStore = storetest::StudyTest;

TEST_F(WordsMgrStore, HeadLinesAndPagesOfAWordWithExamplesAndInflections) {
  auto mgr = WordsMgr::initWords("book");
  EXPECT_EQ(mgr->GetQuestion(), "book");
  EXPECT_EQ(mgr->GetPhonetics(), "[bʊk]");
  EXPECT_EQ(mgr->GetMeaning(), "n. 书；本子\nv. 预订");
  EXPECT_EQ(mgr->GetOtherMeaning(), "\n[复数books 第三人称单数books 过去式booked]");
  EXPECT_EQ(mgr->tranformDataArray(), (std::vector<std::string>{"book", "books", "booked"}));

  const WordCardContent& c = mgr->content();
  ASSERT_EQ(c.examples.size(), 2u);
  EXPECT_TRUE(has(mgr->GetExample(), "我们订了一张桌子。"));
  EXPECT_TRUE(has(mgr->getEnglishMeaningInfo(), "to arrange a seat in advance"));
  EXPECT_TRUE(has(mgr->getPhrasesInfo(), "by the book 按规矩办事"));
  EXPECT_TRUE(c.synonyms.empty() && c.antonyms.empty());
  EXPECT_EQ(
      mgr->getWordsData(),
      "books booked This book is mine. We booked a table. n. a set of printed "
      "pages\nv. to arrange a seat in advance book a ticket 订票<br/>by the book 按规矩办事 ");

  // Synonyms and antonyms come from their own lists; extraction reads antonyms, synonyms, then
  // derived words.
  auto happy = WordsMgr::initWords("happy");
  EXPECT_EQ(happy->content().synonyms, (std::vector<std::string>{"glad, cheerful"}));
  EXPECT_EQ(happy->content().antonyms, (std::vector<std::string>{"sad, unhappy"}));
  EXPECT_EQ(happy->getWordsData(), "sad, unhappy glad, cheerful happiness n. 幸福 ");
}

TEST_F(WordsMgrStore, HiddenSectionsAreNotFetchedButTheEditorIsWhenShown) {
  db_->UpdatePersonalValue_isNeed("review_list_sort", "3:11:16:7:18:9:12:14:15");
  auto mgr = WordsMgr::initWords("apple");
  const WordCardContent& c = mgr->content();
  EXPECT_FALSE(c.show_example);
  EXPECT_TRUE(c.examples.empty());
  EXPECT_EQ(c.editors, (std::vector<std::string>{"小明"}));
  EXPECT_TRUE(c.show_englishMeaning);
  EXPECT_FALSE(c.show_other);
  EXPECT_TRUE(c.similar.empty());
  EXPECT_EQ(mgr->getWordsData(), "n. a round fruit ");

  db_->UpdatePersonalValue_isNeed("review_list_sort", "13:1:6:7:8:9:2:4:5");
  const WordCardContent shown = WordsMgr::initWords("apple")->content();
  EXPECT_EQ(shown.examples.size(), 1u);
  EXPECT_FALSE(shown.show_englishMeaning);
}

TEST_F(WordsMgrStore, NotesAndStudyInformationAreReadAgainAtEveryRender) {
  auto mgr = WordsMgr::initWords("good");
  EXPECT_TRUE(has(mgr->GetZhuJiInfo(), "无助记"));
  db_->saveMnemonic("good", "#*#");
  EXPECT_TRUE(has(mgr->GetZhuJiInfo(), "无助记")) << "a declined offer is no mnemonic";
  db_->saveNote("good", "mine");
  EXPECT_TRUE(has(mgr->GetZhuJiInfo(), "我的助记：</span>mine"));
  db_->saveYuFa("good", "a good one");
  EXPECT_TRUE(has(mgr->GetYuFaInfo(), "我的采纳：</span>a good one"));

  EXPECT_TRUE(has(mgr->getWordInfo(), plat::localized("word_mgr4")));
  db_->InsertStudyWord("good", 0);
  db_->sql_update(
      "update Study_Log set sl_uKnowNum=2, sl_uVagueNum=1, sl_uForgetNum=4 where sl_uWordID=6", "",
      plat::Value::array());
  const std::string page = WordsMgr::initWords("good")->getWordInfo();
  EXPECT_TRUE(has(page, plat::localized("word_mgr6") + "7</div>"));
  EXPECT_TRUE(has(page, plat::localized("word_mgr1") + "2</div>"));
  EXPECT_TRUE(has(page, plat::localized("word_mgr2") + "1</div>"));
  EXPECT_TRUE(has(page, plat::localized("word_mgr3") + "4</div>"));
}

TEST_F(WordsMgrStore, EachSectionCodeOpensItsOwnPage) {
  auto mgr = WordsMgr::initWords("book");
  mgr->GetOtherMeaning();
  const std::string pages[] = {
      mgr->GetZhuJiInfo(),  mgr->GetYuFaInfo(),       mgr->GetExample(),
      mgr->getWordInfo(),   mgr->getWordEditorInfo(), mgr->getEnglishMeaningInfo(),
      mgr->getJinfanInfo(), mgr->getPhrasesInfo(),    mgr->getOtherInfo()};
  for (int code = 1; code <= 9; ++code) EXPECT_EQ(mgr->sectionPage(code), pages[code - 1]) << code;
  EXPECT_EQ(mgr->sectionPage(0), "");
  EXPECT_EQ(mgr->sectionPage(10), "");
}

}  // namespace

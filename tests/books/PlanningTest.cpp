// Selecting, planning and removing words, and the word cards that rows open.
#include <algorithm>

#include "books/FormatOneInteger.h"
#include "learn/BaseWordViewController.h"
#include "platform/base/Random.h"
#include "platform/view/AlertView.h"
#include "tests/books/BooksScreenFixture.h"

namespace {

using bookstest::BooksScreenTest;
using bookstest::wordsOf;
using Words = std::vector<std::string>;

class Planning : public BooksScreenTest {
 protected:
  // Confirms the save alert and lets the posted planning run.
  void confirmSave(WordsUIViewController& screen) {
    screen.saveWord();
    ASSERT_NE(host_->visibleAlert(), nullptr);
    ASSERT_TRUE(host_->pressAlertButton("确定"));
    host_->runUntilIdle();
  }
};

TEST_F(Planning, PlannedWordsReachTheReviewScreenAndMoveToTheLearntList) {
  const Words words = addBook(kBook, "p", 1000);
  setNeed(20);
  auto screen = openBook(kBook);
  for (int i = 10; i < 35; ++i) screen->selectwords_callback(words[i], true);
  // 25 selected with 20 new words left today: the confirmation names the 20.
  screen->saveWord();
  ASSERT_NE(host_->visibleAlert(), nullptr);
  EXPECT_EQ(host_->visibleAlert()->message(),
            formatOneInteger(plat::localized("wordsview_eg4"), 20));
  ASSERT_TRUE(host_->pressAlertButton("确定"));
  host_->runUntilIdle();
  ASSERT_TRUE(screen->waitForLoader());
  host_->runUntilIdle();

  const Words planned(words.begin() + 10, words.begin() + 35);
  ASSERT_EQ(review_.added.size(), 1u);
  EXPECT_EQ(review_.added[0], planned);
  // The review screen finds them due today as new words.
  EXPECT_EQ(db_->GetReviewWords("newlearn").size(), 25u);
  EXPECT_TRUE(screen->selWords().empty());
  EXPECT_EQ(wordsOf(screen->learnedWords()), planned);
  EXPECT_EQ(screen->noneWords().size(), 975u);
  EXPECT_EQ(screen->stateOf(words[10]), "1");
  EXPECT_EQ(db_->getPersonalValue("last_look_bookID"), std::to_string(kBook));
  ASSERT_NE(host_->visibleAlert(), nullptr) << "asks whether to go to review";
  EXPECT_EQ(host_->visibleAlert()->tag(), WordsUIViewController::kAfterSaveAlert);
  host_->pressAlertButton(1);
  host_->advance(1);
  EXPECT_EQ(app_->tabs->selectedIndex(), 0) << "button 1 goes to the review tab";
}

TEST_F(Planning, AFailedPlanningKeepsTheSelectionSaysSoAndLeavingWarnsOfIt) {
  const Words words = addBook(kBook, "f", 1000);
  auto screen = openBook(kBook);
  screen->selectwords_callback(words[0], true);
  screen->selectwords_callback(words[1], true);
  db_->sql_update("alter table Study_Log rename to Study_Log_gone", "", plat::Value::array());
  confirmSave(*screen);
  EXPECT_EQ(wordsOf(screen->selWords()), (Words{words[0], words[1]}));
  EXPECT_EQ(screen->stateOf(words[0]), "3");
  EXPECT_TRUE(review_.added.empty());
  EXPECT_NE(host_->findByText(plat::localized("wordsview_eg9")), nullptr);
  db_->sql_update("alter table Study_Log_gone rename to Study_Log", "", plat::Value::array());
  EXPECT_EQ(db_->LearnWordCount(), 0) << "rolled back as a whole";

  // Leaving with the unsaved selection warns first.
  host_->advance(10);
  screen->goBackAction();
  ASSERT_NE(host_->visibleAlert(), nullptr);
  host_->pressAlertButton(1);
  host_->advance(1);
  EXPECT_NE(app_->bookNav->topViewController(), screen.get());
}

TEST_F(Planning, TheReviewQuestionIsSilencedUntilMidnightNotUntilThree) {
  const Words words = addBook(kBook, "m", 1000);
  setNeed(50);
  setLocalTime(2023, 11, 15, 23, 30);
  auto screen = openBook(kBook);
  auto planOne = [&](const std::string& word) {
    screen->selectwords_callback(word, true);
    confirmSave(*screen);
    ASSERT_TRUE(screen->waitForLoader());
    host_->runUntilIdle();
  };
  planOne(words[0]);
  ASSERT_NE(host_->visibleAlert(), nullptr);
  host_->pressAlertButton(0);  // don't ask again today
  planOne(words[1]);
  EXPECT_EQ(host_->visibleAlert(), nullptr);
  EXPECT_NE(host_->findByText(plat::localized("alermsg_eg46")), nullptr);
  host_->advance(10);
  setLocalTime(2023, 11, 16, 0, 30);  // a new calendar day, the same study day
  planOne(words[2]);
  EXPECT_NE(host_->visibleAlert(), nullptr);
}

TEST_F(Planning, RandomSelectionSwapsFromTheFrontHalfWithTheSeededGenerator) {
  const Words words = addBook(kBook, "r", 1000);
  setNeed(30);
  auto screen = openBook(kBook);
  screen->randomSel();
  Words expected(screen->noneWords().size());
  std::transform(screen->noneWords().begin(), screen->noneWords().end(), expected.begin(),
                 [](const WordSlot& s) { return *s; });
  plat::seedRand(static_cast<unsigned>(plat::Clock::current().now()));
  for (size_t i = 0; i < expected.size() / 2; ++i)
    std::swap(expected[i], expected[static_cast<size_t>(plat::rand()) % expected.size()]);
  expected.resize(30);
  EXPECT_EQ(wordsOf(screen->selWords()), expected);

  // Selecting in order replaces that selection.
  screen->orderSel();
  EXPECT_EQ(wordsOf(screen->selWords()), Words(words.begin(), words.begin() + 30));
  EXPECT_EQ(screen->stateOf(expected[0]), expected[0] < words[30] ? "3" : "2");

  // No new words left today: the selection stays, with a notice.
  setNeed(0);
  screen->randomSel();
  EXPECT_EQ(screen->selWords().size(), 30u);
  EXPECT_NE(host_->visibleAlert(), nullptr);
}

TEST_F(Planning, RemovingALearntWordTellsTheReviewScreenAndReloadsTheNotLearntList) {
  const Words words = addBook(kBook, "d", 1000);
  planWords({words[4], words[9], words[12]});
  auto screen = openBook(kBook);
  showPage(*screen, 3);
  WordsListViewCtrl& learnt = *screen->page(3);
  // A tap on the remove button acts when the finger lifts in the same row.
  host_->swipe(checkBoxPoint(learnt, 0), checkBoxPoint(learnt, 0), 1);
  ASSERT_TRUE(screen->waitForLoader());
  host_->runUntilIdle();
  EXPECT_EQ(review_.deleted, Words{words[4]});
  EXPECT_EQ(wordsOf(screen->learnedWords()), (Words{words[9], words[12]}));
  EXPECT_EQ(screen->noneWords().size(), 998u);
  EXPECT_EQ(*screen->noneWords()[4], words[4]);
  EXPECT_EQ(screen->stateOf(words[4]), "2");
  EXPECT_EQ(db_->LearnWordCount(), 2);
  // A drag that starts on a remove button and ends elsewhere removes nothing.
  host_->swipe(checkBoxPoint(learnt, 0), checkBoxPoint(learnt, 1), 3);
  EXPECT_EQ(db_->LearnWordCount(), 2);
}

TEST_F(Planning, TheSixtiethPlannedWordOpensCardsThatWalkTheListRound) {
  const Words words = addBook(kBook, "c", 1000);
  planWords(Words(words.begin() + 100, words.begin() + 159));
  EXPECT_TRUE(openGiven({words[0]}, {words[0]}, {}, CallDB::SpecialBookID)->isOpenDictionary());
  auto screen = openBook(kBook);
  EXPECT_FALSE(screen->isOpenDictionary());
  screen->selectwords_callback(words[159], true);
  confirmSave(*screen);
  EXPECT_TRUE(screen->isOpenDictionary()) << "the 60th planned word opens the cards";
  host_->pressAlertButton(0);
  ASSERT_TRUE(screen->waitForLoader());
  host_->runUntilIdle();

  ASSERT_TRUE(host_->tap(screen->page(1)->tableView().cellForRow({0, 1})));
  host_->advance(1);
  auto* card = dynamic_cast<BaseWordViewController*>(screen->baseWordViewCtrl());
  ASSERT_NE(card, nullptr);
  EXPECT_EQ(app_->bookNav->topViewController(), card);
  EXPECT_EQ(card->wordName(), words[1]);
  render("card_from_list");
  screen->downBtn_Click_callback();
  EXPECT_EQ(card->wordName(), words[2]);
  for (int i = 0; i < 3; ++i) screen->upBtn_Click_callback();
  EXPECT_EQ(card->wordName(), words[999]) << "before the first row comes the last";
  // Ticking on the card selects the word in the lists.
  screen->selectwords_callback(card->wordName(), true);
  EXPECT_EQ(screen->stateOf(words[999]), "3");

  // Without cards a row tap only says when they come.
  db_->sql_delete("delete from Study_List", "", plat::Value::array());
  auto closed = openGiven({"x"}, {}, {"x"});
  EXPECT_FALSE(closed->isOpenDictionary());
  EXPECT_TRUE(host_->tap(closed->page(1)->tableView().cellForRow({0, 0})));
  host_->advance(0.5);
  EXPECT_NE(host_->findByText(plat::localized("alermsg_eg47")), nullptr);
}

TEST_F(Planning, RemovingTheLastLearntWordFromTheCardClosesIt) {
  const Words words = addBook(kBook, "r", 1000);
  planWords(Words(words.begin(), words.begin() + 59));
  addBook(kBook + 1, "s", 1);
  planWords({"s000"});  // 60 planned: rows open cards
  auto screen = openBook(kBook + 1);
  showPage(*screen, 3);
  ASSERT_TRUE(host_->tap(screen->page(3)->tableView().cellForRow({0, 0})));
  host_->advance(1);
  ASSERT_NE(screen->baseWordViewCtrl(), nullptr);
  screen->deletewords_callback("s000", int64_t{2});
  ASSERT_TRUE(screen->waitForLoader());
  host_->advance(1);
  EXPECT_EQ(app_->bookNav->topViewController(), screen.get());
  EXPECT_EQ(review_.deleted, Words{"s000"});
}

TEST(FormatOneInteger, FillsOnlyTheFirstIntegerPlaceholder) {
  EXPECT_EQ(formatOneInteger("还可以学习%i个", 20), "还可以学习20个");
  EXPECT_EQ(formatOneInteger("%d%% %@ %i %s", 7), "7% %@ %i %s");
  EXPECT_EQ(formatOneInteger("no number %", 3), "no number %");
}

}  // namespace

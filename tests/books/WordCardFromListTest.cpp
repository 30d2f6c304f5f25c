// The word card opened from a row walks the list it came from and acts on the lists.
#include <gtest/gtest.h>

#include "learn/BaseWordViewController.h"
#include "tests/books/BooksScreenFixture.h"

namespace {

using bookstest::BooksScreenTest;
using Words = std::vector<std::string>;

class WordCardFromList : public BooksScreenTest {};

TEST_F(WordCardFromList, ARowOpensTheCardWhichWalksTheListAndWrapsAround) {
  const Words words = addBook(kBook, "c", 1000);
  planWords(Words(words.end() - 60, words.end()));
  auto screen = openBook(kBook);
  ASSERT_TRUE(screen->isOpenDictionary());
  WordsListViewCtrl& none = *screen->page(1);
  ASSERT_TRUE(host_->tap(none.tableView().cellForRow({0, 1})));
  host_->advance(1);
  BaseWordViewController* card = screen->baseWordViewCtrl();
  ASSERT_NE(card, nullptr);
  EXPECT_EQ(app_->bookNav->topViewController(), card);
  EXPECT_EQ(card->wordName(), words[1]);
  render("card_from_list");

  screen->downBtn_Click_callback();
  EXPECT_EQ(card->wordName(), words[2]);
  screen->upBtn_Click_callback();
  screen->upBtn_Click_callback();
  screen->upBtn_Click_callback();
  EXPECT_EQ(card->wordName(), words[939]) << "before the first row comes the last";

  // Ticking on the card selects the word in the lists.
  screen->selectwords_callback(card->wordName(), true);
  EXPECT_EQ(screen->stateOf(words[939]), "3");
}

TEST_F(WordCardFromList, RemovingTheLastLearntWordFromTheCardClosesIt) {
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

}  // namespace

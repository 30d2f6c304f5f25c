// A word book's four lists, the whole library's windows and the tab titles, on a real store.
#include <algorithm>

#include "tests/books/BooksScreenFixture.h"

namespace {

using bookstest::BooksScreenTest;
using bookstest::wordsOf;
using Words = std::vector<std::string>;

class WordListsLoad : public BooksScreenTest {};

TEST_F(WordListsLoad, ABookOfTwelveHundredWordsLoadsAllFourListsAndRendersEach) {
  const Words words = addBook(kBook, "w", 1200);
  planWords({words[3], words[7], words[1100]});
  setRecord(words[1100], daysFromNow(-1), daysFromNow(10), 2);  // answered: its schedule shows
  setNeed(20);
  auto screen = openBook(kBook);
  EXPECT_EQ(screen->allWords().size(), 1200u);
  EXPECT_EQ(screen->noneWords().size(), 1197u);
  EXPECT_EQ(wordsOf(screen->learnedWords()), (Words{words[3], words[7], words[1100]}));
  EXPECT_EQ(*screen->allWords().front(), words.front()) << "alphabetical at first";
  EXPECT_EQ(screen->stateOf(words[7]), "1");
  EXPECT_EQ(screen->stateOf(words[8]), "2");
  EXPECT_EQ(screen->pageNum(), 1) << "a book opens on the not-learnt list";
  EXPECT_EQ(visibleWords(*screen->page(1)).front(), words[0]);

  // Book order runs against the alphabet in this book; the loader reads both lists again.
  showPage(*screen, 0);
  screen->buttonAction2();
  ASSERT_TRUE(screen->waitForLoader());
  host_->advance(10);  // the order message fades
  EXPECT_FALSE(screen->isSort());
  EXPECT_EQ(*screen->allWords().front(), words.back());
  EXPECT_EQ(*screen->noneWords().front(), words.back());

  screen->selectwords_callback(words[0], true);
  screen->selectwords_callback(words[2], true);
  const char* names[] = {"all", "none", "selected", "learnt"};
  for (int page = 0; page < 4; ++page) {
    showPage(*screen, page);
    render(std::string("lists_") + names[page]);
  }
  EXPECT_EQ(visibleWords(*screen->page(2)), (Words{words[0], words[2]}));
  auto* scheduled = static_cast<MyButton*>(
      screen->page(3)->tableView().cellForRow({0, 2})->contentView().viewWithTag(2));
  EXPECT_FALSE(scheduled->isEnabled()) << "an answered word shows its schedule, not removal";
}

TEST_F(WordListsLoad, ChangingTheOrderWhileTheLoaderRunsYieldsTheNewOrder) {
  const Words words = addBook(kBook, "w", 1500);
  auto screen = openBook(kBook, false);
  screen->sortType(false);  // page 1 is shown: the running loader restarts in book order
  ASSERT_TRUE(screen->waitForLoader());
  host_->runUntilIdle();
  EXPECT_EQ(*screen->noneWords().front(), words.back());
  EXPECT_EQ(*screen->allWords().front(), words.back());
}

TEST_F(WordListsLoad, TabTitlesCountTheListsAndShowTheLearntShare) {
  const Words words = addBook(kBook, "t", 3);
  planWords({words[0]});
  setNeed(2);  // one new word of today is already planned
  auto screen = openBook(kBook);
  EXPECT_EQ(screen->changeTabName(),
            (std::vector<Words>{
                {"全部", "3"}, {"未学习", "2"}, {"选择/规划", "0/1"}, {"已学习", "33.33%"}}));
  auto selectedLine = [&] {
    plat::View* tab = screen->tabbar().viewWithTag(MyTabbarView::kButtonTagBase + 2);
    return static_cast<plat::Label*>(tab->viewWithTag(MyTabbarView::kSecondLineTag));
  };
  screen->selectwords_callback(words[1], true);
  EXPECT_EQ(selectedLine()->text(), "1/1");
  screen->selectwords_callback(words[2], true);
  EXPECT_EQ(selectedLine()->textColor(), plat::Color::red()) << "more than today's new words";

  // An empty book, and a book wholly in study, are both "100%".
  addBook(kBook + 1, "e", 0);
  auto empty = openBook(kBook + 1);
  EXPECT_EQ(empty->changeTabName()[3], (Words{"已学习", "100%"}));
  EXPECT_EQ(empty->changeTabName()[0], (Words{"全部", "0"}));
}

TEST_F(WordListsLoad, WholeLibraryRowsComeInWindowsOfFortyWhereTheyAreNeeded) {
  addWords("lib", 1200, 20000);
  auto screen = openBook(CallDB::WholeLibraryBookID);
  const size_t total = screen->allWords().size();
  ASSERT_GE(total, 1200u);
  EXPECT_EQ(screen->pageNum(), 0);

  auto* page = screen->page(0);
  // Going up to row 10 reads rows 0 to 10 only.
  screen->allWordsFormPos(10, false);
  for (size_t i = 0; i <= 10; ++i) EXPECT_TRUE(screen->allWords()[i]) << i;
  // Going down near the end fills only the rows that exist.
  screen->allWordsFormPos(static_cast<int64_t>(total) - 5, true);
  EXPECT_TRUE(screen->allWords().back());
  // Going up from a row the table no longer has puts each word at its own row.
  const Words library = [&] {
    Words all;
    const plat::Value rows = db_->getWordsFromBook(0, static_cast<int>(total), true);
    for (size_t i = 0; i < rows.size(); ++i) all.push_back(rows.at(i).at(0).asString());
    return all;
  }();
  screen->allWordsFormPos(600, false);
  for (size_t row = 561; row <= 600; ++row) EXPECT_EQ(*screen->allWords()[row], library[row]);

  // Typing scrolls the whole library to the word's row and reads its window.
  page->textField().setText("lib500");
  page->testFieldDidChange();
  host_->runUntilIdle();
  const auto top = page->tableView().indexPathsForVisibleRows().front().row;
  EXPECT_EQ(library[static_cast<size_t>(top)], "lib500");
  EXPECT_EQ(visibleWords(*page).front(), "lib500");
  render("lists_library");
}

TEST_F(WordListsLoad, LoadsQueueBehindTheRunningOneAndWindowsKeepTheirOwnRows) {
  const Words words = addBook(kBook, "q", 1500);
  planWords({words[0], words[1]});
  auto screen = openBook(kBook, false);
  // Removed while the first load may still run: the not-learnt list is read again after it.
  screen->deletewords_callback(words[0], 1);
  ASSERT_TRUE(screen->waitForLoader());
  host_->runUntilIdle();
  EXPECT_EQ(wordsOf(screen->learnedWords()), Words{words[1]});
  EXPECT_EQ(screen->noneWords().size(), 1499u);
  EXPECT_EQ(*screen->noneWords().front(), words[0]);
  EXPECT_EQ(*screen->noneWords().back(), *std::max_element(words.begin(), words.end()));
  EXPECT_EQ(*screen->allWords().back(), *screen->noneWords().back()) << "the all list stays loaded";

  // The library shrinks under an open whole-library screen: a window read upwards from the last
  // row puts each word at its real row and leaves the first rows alone.
  auto library = openBook(CallDB::WholeLibraryBookID);
  const size_t total = library->allWords().size();
  const WordSlot first = library->allWords()[0];
  db_->sql_delete(
      "delete from Words_Library where wl_uWordID in (select wl_uWordID from Words_Library "
      "order by wl_tWord desc limit 10)",
      "", plat::Value::array());
  library->allWordsFormPos(static_cast<int64_t>(total) - 1, false);
  EXPECT_EQ(library->allWords()[0], first) << "row 0 was not in that window";
  const plat::Value rows = db_->getWordsFromBook(static_cast<int>(total) - 40, 40, true);
  ASSERT_EQ(rows.size(), 30u);
  EXPECT_EQ(*library->allWords()[total - 40], rows.at(0).at(0).asString());
  EXPECT_FALSE(library->allWords()[total - 1]) << "the rows that went keep their markers";
}

}  // namespace

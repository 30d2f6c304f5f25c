// The word-list page on the word-book screen, its real owner: typed words found by position or in
// memory, the search field and its test-mode commands, swipes over the check boxes, row taps while
// searching.
#include "learn/BaseWordViewController.h"
#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/view/AlertView.h"
#include "platform/view/Keyboard.h"
#include "tests/books/BooksScreenFixture.h"
#include "util/DebugNSObject.h"

namespace {

using bookstest::BooksScreenTest;
using bookstest::wordsOf;
using Words = std::vector<std::string>;

class WordListPage : public BooksScreenTest {};

TEST_F(WordListPage, SearchScrollsToTheTypedWordByPositionOrInMemory) {
  const Words words = addBook(kBook, "k", 1000);
  auto screen = openBook(kBook);
  WordsListViewCtrl& none = *screen->page(1);
  auto topRow = [](WordsListViewCtrl& page) {
    return page.tableView().indexPathsForVisibleRows().front().row;
  };
  none.textField().setText("k5");
  none.testFieldDidChange();
  EXPECT_EQ(topRow(none), 500);
  none.textField().setText("z");  // past every word: the last row, as far as the table goes
  none.testFieldDidChange();
  EXPECT_EQ(
      screen->noneWords().size() - 1,
      static_cast<size_t>(topRow(none)) + none.tableView().indexPathsForVisibleRows().size() - 1);

  // Given lists are searched in memory: a text before the first word does not move the list.
  auto given = openGiven(words, {}, words);
  WordsListViewCtrl& all = *given->page(1);
  all.textField().setText("k7");
  all.testFieldDidChange();
  EXPECT_EQ(topRow(all), 700);
  all.textField().setText("a");
  all.testFieldDidChange();
  EXPECT_EQ(topRow(all), 700);

  // The whole library's learnt page searches the store's full learnt list; a word planned since
  // the screen opened lies past its rows and moves nothing.
  planWords(Words(words.begin() + 100, words.begin() + 130));
  auto library = openBook(CallDB::WholeLibraryBookID);
  showPage(*library, 3);
  WordsListViewCtrl& learnt = *library->page(3);
  learnt.textField().setText(words[120]);
  learnt.testFieldDidChange();
  EXPECT_EQ(topRow(learnt), 20);
  EXPECT_EQ(visibleWords(learnt).front(), words[120]) << "its window was read on the way";
  planWords({words[999]});
  learnt.textField().setText(words[999]);
  learnt.testFieldDidChange();
  EXPECT_EQ(learnt.tableView().indexPathsForVisibleRows().back().row, 29);
}

// The field passes the typed text in lower case; capitalised words are found all the same, where
// the lists put them: among their letters.
TEST_F(WordListPage, TypedWordsFindCapitalisedOnesInTheStoreAndInMemory) {
  const Words first = addWords("a", 100, 900000);
  const Words last = addWords("z", 100, 901000);
  const Words capitalised = {"March", "Christmas", "Monday", "China", "march"};
  for (size_t i = 0; i < capitalised.size(); ++i)
    db_->sql_insert("insert into Words_Library (wl_uWordID, wl_tWord) values (?, ?)", "ns",
                    plat::Value::array({902000 + static_cast<int>(i), capitalised[i]}));
  auto topRow = [](WordsListViewCtrl& page) {
    return page.tableView().indexPathsForVisibleRows().front().row;
  };
  auto search = [](WordsListViewCtrl& page, const std::string& text) {
    page.textField().setText(text);
    page.testFieldDidChange();
  };

  // The whole library: a000-a099, apple, book, cafe, China, Christmas, good, happy, March, ...
  auto library = openBook(CallDB::WholeLibraryBookID);
  WordsListViewCtrl& all = *library->page(0);
  search(all, "March");
  EXPECT_EQ(topRow(all), 107);
  EXPECT_EQ(visibleWords(all).front(), "March");
  EXPECT_EQ(visibleWords(all).at(1), "march");
  search(all, "chr");
  EXPECT_EQ(visibleWords(all).front(), "Christmas");

  // Given lists, searched in memory: in their given order by the word's beginning, and once
  // sorted A-Z by their order.
  Words given = first;
  given.insert(given.end(), capitalised.begin(), capitalised.end());
  given.insert(given.end(), last.begin(), last.end());
  auto screen = openGiven(given, {}, given);
  WordsListViewCtrl& page = *screen->page(0);
  search(page, "chi");
  EXPECT_EQ(topRow(page), 103);
  screen->buttonAction1();
  Words sorted = first;
  sorted.insert(sorted.end(), {"China", "Christmas", "March", "march", "Monday"});
  sorted.insert(sorted.end(), last.begin(), last.end());
  EXPECT_EQ(wordsOf(screen->allWords()), sorted);
  search(page, "mo");
  EXPECT_EQ(topRow(page), 104);
  search(page, "march");
  EXPECT_EQ(topRow(page), 102);
}

TEST_F(WordListPage, TheSearchFieldMakesRoomForTheKeyboardAndTakesCommandsOnlyInTestMode) {
  addBook(kBook, "k", 1000);
  auto screen = openBook(kBook);
  const plat::Rect area = screen->scrollView().frame();
  ASSERT_TRUE(host_->tap(&screen->page(1)->textField()));
  host_->advance(1);
  EXPECT_TRUE(app_->bookNav->isNavigationBarHidden());
  EXPECT_FALSE(screen->scrollView().isScrollEnabled()) << "no paging while typing";
  EXPECT_LT(screen->tabbar().frame().y, 0) << "the strip moved out of sight";
  const plat::Rect shown =
      screen->scrollView().convertRectTo(screen->scrollView().bounds(), nullptr);
  EXPECT_LE(shown.y + shown.height, plat::Keyboard::frame().y + 1)
      << "the list ends above the keys";
  host_->type("k5");
  host_->advance(1);
  render("search_typing");
  host_->pressReturn();
  host_->advance(1);
  EXPECT_FALSE(app_->bookNav->isNavigationBarHidden());
  EXPECT_TRUE(screen->scrollView().isScrollEnabled());
  EXPECT_EQ(screen->scrollView().frame(), area);

  // The field takes developer commands only in test mode.
  WordsListViewCtrl& page = *screen->page(1);
  const std::string before = db_->getPersonalValue("url");
  page.textField().setText("http://127.0.0.1:9/");
  page.closeKeyboard();
  EXPECT_EQ(db_->getPersonalValue("url"), before);
  EXPECT_EQ(host_->visibleAlert(), nullptr);

  plat::files::writeFileAtomically(  // the test-mode marker
      plat::files::join(plat::AppHome::documentsDir(), std::string(kSharedClientKey) + ".txt"), "");
  page.textField().setText("HTTP://127.0.0.1:9/");
  page.closeKeyboard();
  EXPECT_EQ(db_->getPersonalValue("url"), "http://127.0.0.1:9/");
  ASSERT_NE(host_->visibleAlert(), nullptr);
  EXPECT_EQ(host_->visibleAlert()->message(), "输入的网址是:http://127.0.0.1:9/");
}

// A paste that comes after the search's editing ended (from a slow owner of the clipboard)
// searches as typing does and leaves the strip as the end of the editing left it, not widened a
// second time; a paste longer than a search is refused with a word and searches nothing.
TEST_F(WordListPage, ALatePasteSearchesAndOneLongerThanASearchIsRefused) {
  addBook(kBook, "k", 1000);
  auto screen = openBook(kBook);
  WordsListViewCtrl& page = *screen->page(1);
  const plat::Rect field = page.textField().frame();
  ASSERT_TRUE(host_->tap(&page.textField()));
  host_->advance(1);
  host_->type("k");
  host_->pressReturn();
  host_->advance(1);
  ASSERT_EQ(page.textField().frame(), field);
  EXPECT_TRUE(plat::Keyboard::pasteInto(page.textField(), "5"));
  host_->advance(1);
  EXPECT_EQ(page.textField().text(), "k5");
  EXPECT_EQ(page.tableView().indexPathsForVisibleRows().front().row, 500);
  EXPECT_EQ(page.textField().frame(), field) << "the field widened once more";

  ASSERT_TRUE(host_->tap(&page.textField()));
  host_->advance(1);
  EXPECT_TRUE(plat::Keyboard::paste(std::string(99, 'k')));
  EXPECT_EQ(page.textField().text(), "k5");
  ASSERT_NE(host_->visibleAlert(), nullptr);
  EXPECT_EQ(host_->visibleAlert()->message(), "文本太长，这一栏最多填100个字");
  render("search_paste_too_long");
}

TEST_F(WordListPage, SwipingOverTheCheckBoxesTogglesEachRowEnteredOnce) {
  const Words words = addBook(kBook, "s", 1000);
  auto screen = openBook(kBook);
  WordsListViewCtrl& page = *screen->page(1);
  // Row 2 to row 5 in one move: rows 2, 3, 4 and 5 each toggle once.
  host_->swipe(checkBoxPoint(page, 2), checkBoxPoint(page, 5), 1);
  EXPECT_EQ(wordsOf(screen->selWords()), (Words{words[2], words[3], words[4], words[5]}));
  EXPECT_TRUE(screen->scrollView().isScrollEnabled()) << "paging comes back at the end";
  // Back up over rows 5 to 3 in small steps: each entered row toggles back once.
  host_->swipe(checkBoxPoint(page, 5), checkBoxPoint(page, 3), 6);
  EXPECT_EQ(wordsOf(screen->selWords()), (Words{words[2]}));

  // On the selected page unticks wait for the finger to lift; a re-tick in the same touch
  // keeps the word.
  screen->selectwords_callback(words[7], true);
  screen->selectwords_callback(words[8], true);
  showPage(*screen, 2);
  WordsListViewCtrl& selected = *screen->page(2);
  plat::Window* window = selected.view()->window();
  window->sendTouch(plat::TouchPhase::Began, checkBoxPoint(selected, 0));
  window->sendTouch(plat::TouchPhase::Moved, checkBoxPoint(selected, 2));
  EXPECT_FALSE(screen->scrollView().isScrollEnabled()) << "no paging while the finger is down";
  EXPECT_EQ(screen->selWords().size(), 3u) << "nothing leaves under the finger";
  window->sendTouch(plat::TouchPhase::Moved, checkBoxPoint(selected, 1));
  window->sendTouch(plat::TouchPhase::Ended, checkBoxPoint(selected, 1));
  host_->runUntilIdle();
  EXPECT_EQ(wordsOf(screen->selWords()), (Words{words[7]}));
  EXPECT_EQ(screen->stateOf(words[2]), "2");
}

// The edges of a swipe: nothing fires for rows above the first, a cancelled touch gives paging
// back like a lifted one, and a remove button waits for the finger to lift.
TEST_F(WordListPage, ASwipeFiresOnlyWhatAFingerOnTheRowsWould) {
  const Words words = addBook(kBook, "e", 1000);
  planWords({words[4], words[9]});
  auto screen = openBook(kBook);
  WordsListViewCtrl& all = *screen->page(1);
  plat::Window* window = all.view()->window();
  plat::Point above = checkBoxPoint(all, 0);
  above.y -= 3 * all.tableView().rowHeight();
  window->sendTouch(plat::TouchPhase::Began, checkBoxPoint(all, 0));
  window->sendTouch(plat::TouchPhase::Moved, above);
  EXPECT_FALSE(screen->scrollView().isScrollEnabled());
  window->sendTouch(plat::TouchPhase::Cancelled, above);
  host_->runUntilIdle();
  EXPECT_EQ(wordsOf(screen->selWords()), (Words{words[0]})) << "row 0 alone, at touch-down";
  EXPECT_TRUE(screen->scrollView().isScrollEnabled()) << "a cancelled touch gives paging back";

  showPage(*screen, 3);
  WordsListViewCtrl& learnt = *screen->page(3);
  window->sendTouch(plat::TouchPhase::Began, checkBoxPoint(learnt, 0));
  host_->runUntilIdle();
  EXPECT_TRUE(review_.deleted.empty()) << "nothing is removed while the finger is down";
  EXPECT_EQ(db_->LearnWordCount(), 2);
  window->sendTouch(plat::TouchPhase::Ended, checkBoxPoint(learnt, 0));
  ASSERT_TRUE(screen->waitForLoader());
  host_->runUntilIdle();
  EXPECT_EQ(review_.deleted, Words{words[4]});
  EXPECT_EQ(db_->LearnWordCount(), 1);
}

TEST_F(WordListPage, ARowTappedWhileSearchingClosesTheKeyboardAndGoesOnAsUsual) {
  const Words words = addBook(kBook, "q", 300);
  auto closed = openBook(kBook);
  ASSERT_TRUE(closed->waitForLoader());
  host_->runUntilIdle();
  WordsListViewCtrl& page = *closed->page(1);
  ASSERT_TRUE(host_->tap(&page.textField()));
  host_->type("q1");
  host_->advance(1);
  ASSERT_TRUE(plat::Keyboard::isVisible());
  render("search_before_row_tap");
  ASSERT_TRUE(
      host_->tap(page.tableView().cellForRow(page.tableView().indexPathsForVisibleRows().front())));
  host_->advance(1);
  EXPECT_NE(host_->findByText(plat::localized("alermsg_eg47")), nullptr) << "the message shows";
  EXPECT_FALSE(plat::Keyboard::isVisible());
  app_->bookNav->popViewController(false);
  host_->advance(1);

  planWords(Words(words.begin() + 200, words.begin() + 260));  // 60 planned: rows open cards
  auto open = openBook(kBook);
  ASSERT_TRUE(open->waitForLoader());
  host_->runUntilIdle();
  ASSERT_TRUE(open->isOpenDictionary());
  WordsListViewCtrl& list = *open->page(1);
  ASSERT_TRUE(host_->tap(&list.textField()));
  host_->type("q12");
  host_->advance(1);
  ASSERT_TRUE(plat::Keyboard::isVisible());
  const plat::IndexPath first = list.tableView().indexPathsForVisibleRows().front();
  ASSERT_TRUE(host_->tap(list.tableView().cellForRow(first)));
  host_->advance(1);
  auto* card = dynamic_cast<BaseWordViewController*>(open->baseWordViewCtrl());
  ASSERT_NE(card, nullptr) << "the card opens";
  EXPECT_EQ(app_->bookNav->topViewController(), card);
  EXPECT_EQ(card->wordName(), words[size_t(first.row)]);
  EXPECT_FALSE(plat::Keyboard::isVisible());
  render("search_row_opens_card");
}

// The swipe strip reaches past the button column over the start of the word. On a row without a
// check box a tap there is a tap on the word, like one further right: it does not remove a
// learnt word, which only its remove button does.
TEST_F(WordListPage, ATapOnTheStartOfALearntWordIsARowTapNotARemoval) {
  const Words words = addBook(kBook, "t", 100);
  planWords({words[4], words[9]});
  auto screen = openBook(kBook);
  showPage(*screen, 3);
  WordsListViewCtrl& learnt = *screen->page(3);
  plat::Point onWord = checkBoxPoint(learnt, 0);
  onWord.x += WordsListViewCtrl::kButtonWidth + 5 - 20;
  ASSERT_EQ(learnt.view()->window()->hitTest(onWord), &learnt.slideView());
  host_->tapAt(onWord);
  host_->advance(1);
  EXPECT_TRUE(review_.deleted.empty());
  EXPECT_EQ(db_->LearnWordCount(), 2);
  EXPECT_NE(host_->findByText(plat::localized("alermsg_eg47")), nullptr)
      << "the message a tap on the row shows";
}

}  // namespace

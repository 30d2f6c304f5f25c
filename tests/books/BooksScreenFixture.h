// Fixture of the word-book screens' tests: the study store of the store's fixture (a real
// learn.db), the assembled bundle's images and texts, and the application run by the headless
// host with a tab bar whose second tab is a navigation stack, on which the screens are pushed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "books/LearnViewController.h"
#include "books/ReviewPlanHooks.h"
#include "books/WordsUIViewController.h"
#include "platform/host/HeadlessHost.h"
#include "platform/view/NavigationController.h"
#include "platform/view/TabBarController.h"
#include "platform/view/Window.h"
#include "tests/store/StudyFixture.h"
#include "ui/BaseViewController.h"

namespace bookstest {

class BooksApp : public plat::ApplicationDelegate {
 public:
  bool didFinishLaunching(plat::Application&, const plat::Value&) override;

  std::shared_ptr<plat::Window> window;
  std::shared_ptr<plat::TabBarController> tabs;
  std::shared_ptr<BaseViewController> review, books;
  std::shared_ptr<plat::NavigationController> bookNav;
};

// What the review screen would have been told.
struct RecordingReview : ReviewPlanHooks {
  void addNewWordFinish(const std::vector<std::string>& words) override { added.push_back(words); }
  void deleteWordFinish(const std::string& word) override { deleted.push_back(word); }
  std::vector<std::vector<std::string>> added;
  std::vector<std::string> deleted;
};

class BooksScreenTest : public storetest::StudyTest {
 protected:
  static constexpr int kBook = 501;

  void SetUp() override;
  void TearDown() override;

  // A book of `count` words "<prefix>NNN" (ids from 100000 + 2000 × the book id), placed in reverse
  // alphabetical order, in a class of its own.
  std::vector<std::string> addBook(int bookId, const std::string& prefix, int count);
  // Plans words as the learner would have, never answered.
  void planWords(const std::vector<std::string>& words);
  void setNeed(int studyLimit);

  // The word-list screen on a book id or on given lists, pushed and shown.
  std::shared_ptr<WordsUIViewController> openBook(int64_t bookId);
  std::shared_ptr<WordsUIViewController> openGiven(const std::vector<std::string>& all,
                                                   const std::vector<std::string>& learned,
                                                   const std::vector<std::string>& none,
                                                   int64_t bookId = 0);
  void showPage(WordsUIViewController& screen, int page);
  // The word-book tab as the root of the second tab's stack, shown.
  std::shared_ptr<LearnViewController> showTab();
  // Headwords of letters only ("<prefix>aaa", "<prefix>aab", ...), ids from `firstId`.
  std::vector<std::string> addLetterWords(const std::string& prefix, int count, int firstId);

  // The words a page shows on screen, top first.
  std::vector<std::string> visibleWords(WordsListViewCtrl& page);
  // The screen point of row `row`'s check box (the row must be on screen).
  plat::Point checkBoxPoint(WordsListViewCtrl& page, int row);
  // Writes the screen to <temp>/books_<name>.png and returns the path.
  std::string render(const std::string& name);

  std::shared_ptr<BooksApp> app_;
  std::unique_ptr<plat::HeadlessHost> host_;
  RecordingReview review_;
};

// A list's words in order, "<unread>" where a slot is not read yet.
inline std::vector<std::string> wordsOf(const WordSlots& slots) {
  std::vector<std::string> words;
  for (const auto& slot : slots) words.push_back(slot.value_or("<unread>"));
  return words;
}

}  // namespace bookstest

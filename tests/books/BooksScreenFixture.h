// Fixture of the word-book screens' tests and of the word-list page's: the study store of the
// store's fixture (a real learn.db), the assembled bundle's images and texts, and the application
// run by the headless host with a tab bar whose second tab is a navigation stack, on which the
// screens are pushed.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "books/BookScreens.h"
#include "books/LearnViewController.h"
#include "books/WordsUIViewController.h"
#include "learn/BaseWordViewController.h"
#include "platform/base/Bundle.h"
#include "platform/base/RunLoop.h"
#include "platform/draw/Image.h"
#include "platform/host/HeadlessHost.h"
#include "platform/view/Label.h"
#include "platform/view/NavigationBar.h"
#include "platform/view/NavigationController.h"
#include "platform/view/TabBarController.h"
#include "platform/view/Window.h"
#include "settings/HtmlViewController.h"
#include "store/ReviewPlanHooks.h"
#include "tests/store/StudyFixture.h"
#include "ui/BaseViewController.h"
#include "ui/MyCustomNavBar.h"

namespace bookstest {

class BooksApp : public plat::ApplicationDelegate {
 public:
  bool didFinishLaunching(plat::Application&, const plat::Value&) override {
    MyCustomNavBar::install();
    window = std::make_shared<plat::Window>();
    auto review = std::make_shared<BaseViewController>();
    review->setTitle("复习/学习");
    auto books = std::make_shared<BaseViewController>();
    books->setTitle("单词本");
    bookNav = std::make_shared<plat::NavigationController>(books);
    tabs = std::make_shared<plat::TabBarController>();
    tabs->setViewControllers({std::make_shared<plat::NavigationController>(review), bookNav});
    tabs->setSelectedIndex(1);
    window->setRootViewController(tabs);
    window->makeKeyAndVisible();
    return true;
  }

  std::shared_ptr<plat::Window> window;
  std::shared_ptr<plat::TabBarController> tabs;
  std::shared_ptr<plat::NavigationController> bookNav;
};

// What the review screen would have been told.
struct RecordingReview {
  std::vector<std::vector<std::string>> added;
  std::vector<std::string> deleted;
};

class BooksScreenTest : public storetest::StudyTest {
 protected:
  static constexpr int kBook = 501;

  void SetUp() override {
    StudyTest::SetUp();
    // The store stays on the fixture's learn.db; images and texts come from the assembled bundle.
    const char* bundle = std::getenv("VOCAB_BUNDLE");
    ASSERT_TRUE(bundle && *bundle) << "the tests run with VOCAB_BUNDLE set";
    plat::Bundle::setMainPath(bundle);
    plat::Image::clearNamedCache();
    ReviewPlanHooks& plan = ReviewPlanHooks::shared();
    plan.addNewWordFinish = [this](const std::vector<std::string>& words) {
      review_.added.push_back(words);
    };
    plan.deleteWordFinish = [this](const std::string& word) { review_.deleted.push_back(word); };
    // The screens of other folders, as the application installs them.
    BookScreens::setWordCardMaker(&BaseWordViewController::forWordList);
    BookScreens::setHelpPageMaker(&HtmlViewController::helpPage);
    app_ = std::make_shared<BooksApp>();
    plat::HeadlessHost::Options options;
    options.startTime = storetest::kMorning;
    host_ = std::make_unique<plat::HeadlessHost>(app_, options);
    ASSERT_TRUE(host_->launch());
    // The host runs its own virtual clock; the store's fixture clock stays in charge of time.
    plat::Clock::install(clock_);
  }
  void TearDown() override {
    host_->advance(30);
    host_.reset();
    app_.reset();
    plat::RunLoop::main().discardAllSources();
    ReviewPlanHooks::shared() = ReviewPlanHooks{};
    BookScreens::setWordCardMaker(nullptr);
    BookScreens::setHelpPageMaker(nullptr);
    plat::NavigationBar::setDefaultBackgroundImage(nullptr);
    StudyTest::TearDown();
  }

  // A book of `count` words "<prefix>NNN" (ids from 100000 + 2000 × the book id), placed in reverse
  // alphabetical order, in a class of its own.
  std::vector<std::string> addBook(int bookId, const std::string& prefix, int count) {
    const int firstId = 100000 + bookId * 2000;
    std::vector<std::string> words = addWords(prefix, count, firstId);
    db_->sqlMgr().beginTransaction();
    db_->sql_insert("insert into book_class (bc_uId, bc_sName) values (?, ?)", "ns",
                    plat::Value::array({bookId, "测试类别"}));
    db_->sql_insert("insert into books (b_uId, b_sName, f_bc_uId) values (?, ?, ?)", "nsn",
                    plat::Value::array({bookId, "测试单词书", bookId}));
    for (int i = 0; i < count; ++i)
      db_->sql_insert("insert into book_words (bw_uId, f_b_uId, f_wl_uId) values (?, ?, ?)", "nnn",
                      plat::Value::array({count - i, bookId, firstId + i}));
    db_->sqlMgr().commitTransaction();
    return words;
  }
  // Plans words as the learner would have, never answered.
  void planWords(const std::vector<std::string>& words) {
    db_->sqlMgr().beginTransaction();
    for (const auto& word : words) plan(word, now());
    db_->sqlMgr().commitTransaction();
  }
  void setNeed(int studyLimit) {
    db_->UpdatePersonalValue("StudyLimitCount", std::to_string(studyLimit));
  }

  // The word-list screen on a book id, pushed, shown and, unless `wait` is false, loaded.
  std::shared_ptr<WordsUIViewController> openBook(int64_t bookId, bool wait = true) {
    auto screen = std::make_shared<WordsUIViewController>();
    screen->setWordsDic(bookId);
    show(screen, "测试单词书", "单词本");
    if (!wait) return screen;
    EXPECT_TRUE(screen->waitForLoader());
    host_->runUntilIdle();
    return screen;
  }
  // The word-list screen on given lists, pushed and shown.
  std::shared_ptr<WordsUIViewController> openGiven(const std::vector<std::string>& all,
                                                   const std::vector<std::string>& learned,
                                                   const std::vector<std::string>& none,
                                                   int64_t bookId = 0) {
    auto screen = std::make_shared<WordsUIViewController>();
    if (bookId) screen->setBookID(bookId);
    screen->setWordsDic(all, learned, none);
    show(screen, "提取的单词", "文本");
    return screen;
  }
  void show(const std::shared_ptr<WordsUIViewController>& screen, const std::string& title,
            const std::string& back) {
    screen->setNavName(title);
    screen->setParentName(back);
    screen->setHidesBottomBarWhenPushed(true);
    app_->bookNav->pushViewController(screen, false);
    host_->runUntilIdle();
  }
  void showPage(WordsUIViewController& screen, int page) {
    EXPECT_TRUE(host_->tap(screen.tabbar().viewWithTag(MyTabbarView::kButtonTagBase + page)));
    host_->advance(5);  // the scroll and any message run out
  }
  // The word-book tab as the root of the second tab's stack, shown.
  std::shared_ptr<LearnViewController> showTab() {
    auto tab = std::make_shared<LearnViewController>();
    app_->bookNav->setViewControllers({tab});
    host_->advance(1);
    return tab;
  }

  // The words a page shows on screen, top first.
  std::vector<std::string> visibleWords(WordsListViewCtrl& page) {
    std::vector<std::string> words;
    page.tableView().layoutIfNeeded();
    for (const auto& ip : page.tableView().indexPathsForVisibleRows()) {
      auto* cell = page.tableView().cellForRow(ip);
      words.push_back(static_cast<plat::Label*>(cell->contentView().viewWithTag(1))->text());
    }
    return words;
  }
  // The screen point of row `row`'s check box (the row must be on screen).
  plat::Point checkBoxPoint(WordsListViewCtrl& page, int row) {
    const plat::Rect r = page.tableView().rectForRow({0, row});
    return page.tableView().convertPointTo({20, r.y + r.height / 2}, nullptr);
  }
  // Writes the screen to <temp>/books_<name>.png.
  void render(const std::string& name) {
    EXPECT_TRUE(host_->writeScreen(::testing::TempDir() + "books_" + name + ".png"));
  }

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

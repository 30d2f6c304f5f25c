#include "tests/books/BooksScreenFixture.h"

#include <cstdio>
#include <cstdlib>

#include "platform/base/Bundle.h"
#include "platform/base/RunLoop.h"
#include "platform/draw/Image.h"
#include "platform/view/Label.h"
#include "platform/view/NavigationBar.h"
#include "ui/MyCustomNavBar.h"

namespace bookstest {

using plat::Value;

bool BooksApp::didFinishLaunching(plat::Application&, const Value&) {
  MyCustomNavBar::install();
  window = std::make_shared<plat::Window>();
  review = std::make_shared<BaseViewController>();
  review->setTitle("复习/学习");
  books = std::make_shared<BaseViewController>();
  books->setTitle("单词本");
  bookNav = std::make_shared<plat::NavigationController>(books);
  tabs = std::make_shared<plat::TabBarController>();
  tabs->setViewControllers({std::make_shared<plat::NavigationController>(review), bookNav});
  tabs->setSelectedIndex(1);
  window->setRootViewController(tabs);
  window->makeKeyAndVisible();
  return true;
}

void BooksScreenTest::SetUp() {
  StudyTest::SetUp();
  // The store stays on the fixture's learn.db; images and texts come from the assembled bundle.
  const char* bundle = std::getenv("VOCAB_BUNDLE");
  ASSERT_TRUE(bundle && *bundle) << "the tests run with VOCAB_BUNDLE set";
  plat::Bundle::setMainPath(bundle);
  plat::Image::clearNamedCache();
  ReviewPlanHooks::install(&review_);
  app_ = std::make_shared<BooksApp>();
  plat::HeadlessHost::Options options;
  options.startTime = storetest::kMorning;
  host_ = std::make_unique<plat::HeadlessHost>(app_, options);
  ASSERT_TRUE(host_->launch());
  // The host runs its own virtual clock; the store's fixture clock stays in charge of time.
  plat::Clock::install(clock_);
}

void BooksScreenTest::TearDown() {
  host_->advance(30);
  host_.reset();
  app_.reset();
  plat::RunLoop::main().discardAllSources();
  ReviewPlanHooks::install(nullptr);
  plat::NavigationBar::setDefaultBackgroundImage(nullptr);
  StudyTest::TearDown();
}

std::vector<std::string> BooksScreenTest::addBook(int bookId, const std::string& prefix,
                                                  int count) {
  std::vector<std::string> words = addWords(prefix, count, 100000 + bookId * 2000);
  db_->sqlMgr().beginTransaction();
  db_->sql_insert("insert into book_class (bc_uId, bc_sName) values (?, ?)", "ns",
                  Value::array({bookId, "测试类别"}));
  db_->sql_insert("insert into books (b_uId, b_sName, f_bc_uId) values (?, ?, ?)", "nsn",
                  Value::array({bookId, "测试单词书", bookId}));
  for (int i = 0; i < count; ++i)  // book order runs against the alphabet
    db_->sql_insert("insert into book_words (bw_uId, f_b_uId, f_wl_uId) values (?, ?, ?)", "nnn",
                    Value::array({count - i, bookId, 100000 + bookId * 2000 + i}));
  db_->sqlMgr().commitTransaction();
  return words;
}

void BooksScreenTest::planWords(const std::vector<std::string>& words) {
  db_->sqlMgr().beginTransaction();
  for (const auto& word : words) plan(word, now());
  db_->sqlMgr().commitTransaction();
}

void BooksScreenTest::setNeed(int studyLimit) {
  db_->UpdatePersonalValue("StudyLimitCount", std::to_string(studyLimit));
}

std::shared_ptr<WordsUIViewController> BooksScreenTest::openBook(int64_t bookId) {
  auto screen = std::make_shared<WordsUIViewController>();
  screen->setNavName("测试单词书");
  screen->setParentName("单词本");
  screen->setHidesBottomBarWhenPushed(true);
  screen->setWordsDic(bookId);
  app_->bookNav->pushViewController(screen, false);
  host_->runUntilIdle();
  EXPECT_TRUE(screen->waitForLoader());
  host_->runUntilIdle();
  return screen;
}

std::shared_ptr<WordsUIViewController> BooksScreenTest::openGiven(
    const std::vector<std::string>& all, const std::vector<std::string>& learned,
    const std::vector<std::string>& none, int64_t bookId) {
  auto screen = std::make_shared<WordsUIViewController>();
  screen->setNavName("提取的单词");
  screen->setParentName("文本");
  screen->setHidesBottomBarWhenPushed(true);
  if (bookId) screen->setBookID(bookId);
  screen->setWordsDic(all, learned, none);
  app_->bookNav->pushViewController(screen, false);
  host_->runUntilIdle();
  return screen;
}

std::shared_ptr<LearnViewController> BooksScreenTest::showTab() {
  auto tab = std::make_shared<LearnViewController>();
  app_->bookNav->setViewControllers({tab});
  host_->advance(1);
  return tab;
}

std::vector<std::string> BooksScreenTest::addLetterWords(const std::string& prefix, int count,
                                                         int firstId) {
  std::vector<std::string> words;
  db_->sqlMgr().beginTransaction();
  for (int i = 0; i < count; ++i) {
    std::string word = prefix;
    for (int n = i, k = 0; k < 3; ++k, n /= 26) word += static_cast<char>('a' + n % 26);
    words.push_back(word);
    db_->sql_insert("insert into Words_Library (wl_uWordID, wl_tWord) values (?, ?)", "ns",
                    Value::array({firstId + i, word}));
  }
  db_->sqlMgr().commitTransaction();
  return words;
}

void BooksScreenTest::showPage(WordsUIViewController& screen, int page) {
  EXPECT_TRUE(host_->tap(screen.tabbar().viewWithTag(MyTabbarView::kButtonTagBase + page)));
  host_->advance(5);  // the scroll and any message run out
}

std::vector<std::string> BooksScreenTest::visibleWords(WordsListViewCtrl& page) {
  std::vector<std::string> words;
  page.tableView().layoutIfNeeded();
  for (const auto& ip : page.tableView().indexPathsForVisibleRows()) {
    auto* cell = page.tableView().cellForRow(ip);
    auto* label = static_cast<plat::Label*>(cell->contentView().viewWithTag(1));
    words.push_back(label->text());
  }
  return words;
}

plat::Point BooksScreenTest::checkBoxPoint(WordsListViewCtrl& page, int row) {
  const plat::Rect r = page.tableView().rectForRow({0, row});
  const plat::Point inTable{20, r.y + r.height / 2};
  return page.tableView().convertPointTo(inTable, nullptr);
}

std::string BooksScreenTest::render(const std::string& name) {
  const std::string path = ::testing::TempDir() + "books_" + name + ".png";
  EXPECT_TRUE(host_->writeScreen(path));
  return path;
}

}  // namespace bookstest

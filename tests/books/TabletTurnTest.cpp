// The word lists and the word-book tab on a tablet: each page is as wide as the screen, and a
// turn keeps the page shown with every page in its place for the turned width.
#include "books/LearnViewController.h"
#include "tests/books/BooksScreenFixture.h"

namespace {

class OnATablet : public bookstest::BooksScreenTest {
 protected:
  void SetUp() override {
    plat::Screen::main().configure({768, 1024}, 1, plat::UserInterfaceIdiom::Pad);
    BooksScreenTest::SetUp();
  }
};

TEST_F(OnATablet, ATurnKeepsTheWordListPageAndLaysEveryPageOutAgain) {
  addBook(kBook, "t", 200);
  auto screen = openBook(kBook);
  showPage(*screen, 2);
  plat::ScrollView& pages = screen->scrollView();
  ASSERT_EQ(pages.contentOffset().x, 2 * pages.bounds().width);

  ASSERT_TRUE(host_->rotate(plat::InterfaceOrientation::LandscapeLeft));
  const double width = pages.bounds().width;
  EXPECT_EQ(width, 1024);
  EXPECT_EQ(pages.contentOffset().x, 2 * width) << "the selected page stays";
  for (int p = 0; p < 3; ++p) {
    ASSERT_TRUE(screen->page(p)->isViewLoaded()) << p;
    EXPECT_EQ(screen->page(p)->view()->frame().x, p * width) << p;
    EXPECT_EQ(screen->page(p)->view()->frame().width, width) << p;
  }
  EXPECT_TRUE(host_->writeScreen(::testing::TempDir() + "word_lists_turned.png"));
}

TEST_F(OnATablet, TheWordBookTabsPagesFillTheScreenAndATurnKeepsTheTextPage) {
  auto tab = showTab();
  tab->selectTabBtn(1);
  host_->advance(5);
  plat::ScrollView& pages = tab->scrollView();
  EXPECT_EQ(tab->learnView().view()->frame().x, 768) << "the text page beside a full first page";
  EXPECT_EQ(pages.contentOffset().x, 768);
  ASSERT_TRUE(host_->rotate(plat::InterfaceOrientation::LandscapeRight));
  EXPECT_EQ(tab->learnView().view()->frame().x, 1024);
  EXPECT_EQ(pages.contentOffset().x, 1024) << "still the text page";
}

}  // namespace

// Scroll views on a tablet that turns or loses content: one scrolled to its end keeps its last
// content at its bottom edge instead of showing blank space below it, one within range stays put,
// and one under the finger is left to the finger.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/host/HeadlessHost.h"
#include "platform/view/Screen.h"
#include "platform/view/ScrollView.h"
#include "platform/view/TableView.h"
#include "platform/view/ViewController.h"
#include "platform/view/WebView.h"
#include "platform/view/Window.h"

using namespace plat;

namespace {

constexpr double kBand = 100;
const Color kLastBand = Color::rgb(0.9, 0.1, 0.1);

class Turning : public ViewController {
 public:
  bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation) override { return true; }
};

// A page of 20 bands, 100 points each, filling the screen; the last band is red, the rest blue
// and white by turns.
class BandedPage : public ApplicationDelegate {
 public:
  std::shared_ptr<Window> window;
  std::shared_ptr<ScrollView> scroll;
  bool didFinishLaunching(Application&, const Value&) override {
    window = std::make_shared<Window>();
    auto root = std::make_shared<Turning>();
    window->setRootViewController(root);
    scroll = std::make_shared<ScrollView>(root->view()->bounds());
    scroll->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
    root->view()->addSubview(scroll);
    showBands(20);
    window->makeKeyAndVisible();
    return true;
  }
  void showBands(int count) {
    for (const auto& band : std::vector<std::shared_ptr<View>>(scroll->subviews()))
      band->removeFromSuperview();
    for (int i = 0; i < count; ++i) {
      auto band = std::make_shared<View>(Rect(0, i * kBand, 2000, kBand));
      band->setBackgroundColor(i == count - 1 ? kLastBand
                                              : i % 2 ? Color::white(1) : Color::rgb(0.2, 0.3, 0.9));
      scroll->addSubview(band);
    }
    scroll->setContentSize({scroll->bounds().width, count * kBand});
  }
};

class ScrollViewResize : public ::testing::Test {
 protected:
  void SetUp() override {
    Screen::main().configure({768, 1024}, 2, UserInterfaceIdiom::Pad);
    host_.launch();
  }
  void TearDown() override {
    Application::shared().setStatusBarOrientation(InterfaceOrientation::Portrait);
    Screen::main().reset();
  }
  ScrollView& scroll() { return *app_->scroll; }
  bool atItsEnd() { return scroll().contentOffset() == scroll().maximumOffset(); }
  // Whether the last band's red is drawn just above the scroll view's bottom edge.
  bool lastBandAtTheBottomEdge() {
    const Rect onScreen = scroll().convertRectTo(scroll().bounds(), nullptr);
    const std::shared_ptr<Image> picture = host_.renderScreen();
    const double scale = picture->scale();
    const Color c = picture->pixel(int(onScreen.midX() * scale), int((onScreen.maxY() - 2) * scale));
    return std::abs(c.r - kLastBand.r) < 0.02 && std::abs(c.g - kLastBand.g) < 0.02 &&
           std::abs(c.b - kLastBand.b) < 0.02;
  }

  std::shared_ptr<BandedPage> app_ = std::make_shared<BandedPage>();
  HeadlessHost host_{app_};
};

}  // namespace

TEST_F(ScrollViewResize, AtItsEndItShowsItsLastContentAtItsBottomEdgeWhenTallerOrGivenLess) {
  ASSERT_TRUE(host_.rotate(InterfaceOrientation::LandscapeLeft));
  host_.scroll(&scroll(), 0, -2400);
  ASSERT_TRUE(atItsEnd());
  EXPECT_TRUE(lastBandAtTheBottomEdge());

  ASSERT_TRUE(host_.rotate(InterfaceOrientation::Portrait));
  host_.advance(1);
  EXPECT_TRUE(atItsEnd()) << scroll().contentOffset().y;
  EXPECT_TRUE(lastBandAtTheBottomEdge()) << "no blank space below the content";
  ASSERT_TRUE(host_.writeScreen(::testing::TempDir() + "scroll_resize_turned_upright.png"));

  app_->showBands(14);
  EXPECT_TRUE(atItsEnd());
  EXPECT_TRUE(lastBandAtTheBottomEdge());

  app_->showBands(5);
  EXPECT_EQ(scroll().contentOffset(), scroll().minimumOffset()) << "less than fills the view";
}

TEST_F(ScrollViewResize, WithinRangeItStaysWhereItIsAndUnderTheFingerItFollowsTheFinger) {
  scroll().setContentOffset({0, 300});
  ASSERT_TRUE(host_.rotate(InterfaceOrientation::LandscapeLeft));
  ASSERT_TRUE(host_.rotate(InterfaceOrientation::Portrait));
  app_->showBands(18);
  EXPECT_EQ(scroll().contentOffset().y, 300);

  // Pulled past its end, the content stays under the finger while it shrinks, and settles at
  // the new end once let go.
  scroll().setContentOffset(scroll().maximumOffset());
  const Point finger = scroll().convertRectTo(scroll().bounds(), nullptr).center();
  app_->window->sendTouch(TouchPhase::Began, finger);
  for (int step = 1; step <= 4; ++step)
    app_->window->sendTouch(TouchPhase::Moved, {finger.x, finger.y - step * 20});
  ASSERT_TRUE(scroll().isDragging());
  const Point pulled = scroll().contentOffset();
  app_->showBands(15);
  EXPECT_EQ(scroll().contentOffset(), pulled);
  app_->window->sendTouch(TouchPhase::Ended, {finger.x, finger.y - 80});
  host_.advance(1);
  EXPECT_TRUE(atItsEnd());
}

// A table scrolled to its last row and made taller, or left with fewer rows, shows its new last
// row at its bottom edge, with a cell laid out for every row on screen.
TEST_F(ScrollViewResize, ATableKeepsItsLastRowAtItsBottomEdge) {
  class Rows : public TableViewDataSource {
   public:
    int count = 60;
    int numberOfRows(TableView&, int) override { return count; }
    std::shared_ptr<TableViewCell> cellForRow(TableView& table, const IndexPath& ip) override {
      auto cell = table.dequeueReusableCell("row");
      if (!cell) cell = TableViewCell::create(TableViewCellStyle::Default, "row");
      cell->textLabel().setText("第 " + std::to_string(ip.row) + " 行");
      return cell;
    }
  } rows;
  auto table = std::make_shared<TableView>(app_->scroll->superview()->bounds());
  table->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  table->setDataSource(&rows);
  app_->scroll->superview()->addSubview(table);
  auto lastRowShownAtTheBottom = [&] {
    table->layoutIfNeeded();
    const IndexPath last{0, rows.count - 1};
    const auto visible = table->indexPathsForVisibleRows();
    return !visible.empty() && visible.back() == last &&
           table->rectForRow(last).maxY() == table->bounds().maxY();
  };

  ASSERT_TRUE(host_.rotate(InterfaceOrientation::LandscapeLeft));
  table->scrollToRow({0, rows.count - 1}, TableViewScrollPosition::Bottom, false);
  ASSERT_TRUE(lastRowShownAtTheBottom());
  ASSERT_TRUE(host_.rotate(InterfaceOrientation::Portrait));
  host_.advance(1);
  EXPECT_TRUE(lastRowShownAtTheBottom()) << table->contentOffset().y;

  rows.count = 40;
  table->reloadData();
  EXPECT_TRUE(lastRowShownAtTheBottom()) << table->contentOffset().y;
  ASSERT_TRUE(host_.writeScreen(::testing::TempDir() + "scroll_resize_table.png"));
}

// A page scrolled to its end and turned upright reflows narrower; the view shows page all the way
// down, and still reaches the page's end.
TEST_F(ScrollViewResize, AWebPageShowsNoBlankSpaceBelowItsEnd) {
  auto web = std::make_shared<WebView>(app_->scroll->superview()->bounds());
  web->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  app_->scroll->superview()->addSubview(web);
  std::string page;
  for (int i = 0; i < 60; ++i) page += "<p>第 " + std::to_string(i) + " 段 paragraph</p>";
  web->loadHTMLString(page, "");
  host_.runUntilIdle();
  ScrollView& inner = web->scrollView();
  auto blankBelow = [&] {
    web->layoutIfNeeded();
    return inner.contentOffset().y + inner.bounds().height - inner.contentSize().height;
  };

  ASSERT_TRUE(host_.rotate(InterfaceOrientation::LandscapeLeft));
  web->layoutIfNeeded();
  inner.setContentOffset(inner.maximumOffset());
  ASSERT_EQ(blankBelow(), 0);
  ASSERT_TRUE(host_.rotate(InterfaceOrientation::Portrait));
  host_.advance(1);
  EXPECT_LE(blankBelow(), 0);
  host_.scroll(web.get(), 0, -2000);
  EXPECT_EQ(blankBelow(), 0) << "the end is still reached";
}

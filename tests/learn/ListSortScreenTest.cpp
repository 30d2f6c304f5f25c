// The section order screen driven through the headless host: the titles in the stored order, a
// real drag of a row's grip, the check boxes, and what is saved.
#include "learn/ListSortViewController.h"
#include "learn/SelStateButton.h"
#include "platform/view/TableViewCell.h"
#include "tests/learn/ScreenFixture.h"

namespace {

using learntest::ScreenTest;

// Where a picture's drawing really ends on the right: its last column holding a visible pixel.
double drawnRightEnd(const plat::Image& image) {
  const plat::Size size = image.size();
  for (double x = size.width - 0.5; x > 0; x -= 0.5)
    for (double y = 0; y < size.height; y += 0.5)
      if (image.colorAtPoint({x, y}).a > 0.1) return x + 0.5;
  return 0;
}

class ListSortScreen : public ScreenTest {
 protected:
  std::shared_ptr<ListSortViewController> open() {
    auto screen = ListSortViewController::initWithNibName("ListSortViewController");
    screen->setNavName("单词卡片排序");
    screen->setParentName("设置");
    app_->nav->pushViewController(screen, false);
    settle();
    return screen;
  }
  std::vector<std::string> titles(ListSortViewController& screen) {
    std::vector<std::string> out;
    for (int row = 0; row < int(screen.cellSort().size()); ++row) {
      auto* cell = screen.tableView().cellForRow({0, row});
      auto* label = cell ? dynamic_cast<plat::Label*>(cell->viewWithTag(1)) : nullptr;
      out.push_back(label ? label->text() : "?");
    }
    return out;
  }
  SelStateButton* box(ListSortViewController& screen, int row) {
    auto* cell = screen.tableView().cellForRow({0, row});
    return cell ? dynamic_cast<SelStateButton*>(cell->viewWithTag(2)) : nullptr;
  }
  void tapBar(ListSortViewController& screen) {
    ASSERT_TRUE(host_->tap(host_->findButton(screen.rightButtonTitle())));
  }
};

TEST_F(ListSortScreen, TheDefaultOrderShownAndARowHiddenAndDraggedSavedWhenEditingEnds) {
  setValue("review_list_sort", "");
  auto screen = open();
  EXPECT_EQ(titles(*screen),
            (std::vector<std::string>{"例句", "助记", "英文翻译", "近/反义词", "词组、短语",
                                      "其他相关词", "语法", "学习信息", "单词编辑者"}));
  for (int row = 0; row < 9; ++row) EXPECT_TRUE(box(*screen, row)->isSelState()) << row;
  // The title stands clear of the box its check box draws, not against it.
  for (int row : {0, 8}) {
    plat::ImageView& picture = box(*screen, row)->imageView();
    const plat::View& title = *screen->tableView().cellForRow({0, row})->viewWithTag(1);
    const double boxEnd =
        picture.convertRectTo(picture.bounds(), nullptr).x + drawnRightEnd(*picture.image());
    EXPECT_GE(title.convertRectTo(title.bounds(), nullptr).x - boxEnd, 6) << row;
  }
  write("section_order.png");
  ASSERT_TRUE(host_->tap(box(*screen, 0)));
  EXPECT_TRUE(box(*screen, 0)->isSelState()) << "boxes are off outside editing";

  tapBar(*screen);
  ASSERT_TRUE(host_->tap(box(*screen, 0)));
  EXPECT_FALSE(box(*screen, 0)->isSelState());
  // The examples' grip dragged below the last row.
  auto* grip = screen->tableView().cellForRow({0, 0})->reorderControl();
  ASSERT_TRUE(grip);
  const plat::Rect g = grip->convertRectTo(grip->bounds(), nullptr);
  host_->swipe({g.midX(), g.midY()}, {g.midX(), g.midY() + 9 * 39 + 20}, 12, 0.4);
  EXPECT_EQ(screen->cellSort().back(), "13");
  EXPECT_EQ(value("review_list_sort"), "") << "nothing saved before editing ends";
  tapBar(*screen);
  EXPECT_EQ(value("review_list_sort"), "11:16:17:18:19:12:14:15:3");
  EXPECT_FALSE(box(*screen, 0)->isEnabled());
}

TEST_F(ListSortScreen, BackWhileEditingSavesNothingAndLongEntriesAreSavedShort) {
  setValue("review_list_sort", "113:1:16:17:18:19:12:14:15");
  auto screen = open();
  tapBar(*screen);
  ASSERT_TRUE(host_->tap(box(*screen, 1)));
  screen->goBackAction();
  settle();
  EXPECT_EQ(value("review_list_sort"), "113:1:16:17:18:19:12:14:15");

  screen = open();
  tapBar(*screen);
  tapBar(*screen);
  EXPECT_EQ(value("review_list_sort"), "13:1:16:17:18:19:12:14:15");
}

}  // namespace

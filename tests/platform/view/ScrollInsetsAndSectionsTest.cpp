#include <gtest/gtest.h>

#include "platform/base/NamedException.h"
#include "platform/view/TableView.h"
#include "tests/platform/view/ViewFixture.h"

using namespace plat;

namespace {

class PullLog : public ScrollViewDelegate {
 public:
  double furthest = 0;
  bool sawDragging = false;
  void scrollViewDidScroll(ScrollView& s) override {
    if (s.isDragging()) sawDragging = true;
    furthest = std::max(furthest, s.contentOffset().y + s.bounds().height - s.contentSize().height);
  }
};

class Sections : public TableViewDataSource, public TableViewDelegate {
 public:
  std::vector<int> rows{3, 2};
  std::vector<IndexPath> selected;
  std::vector<IndexPath> deleted;
  std::optional<IndexPath> redirect;
  bool refuse = false;
  int numberOfSections(TableView&) override { return int(rows.size()); }
  int numberOfRows(TableView&, int s) override { return rows[size_t(s)]; }
  std::shared_ptr<TableViewCell> cellForRow(TableView& t, const IndexPath& ip) override {
    auto cell = t.dequeueReusableCell("c");
    if (!cell) cell = TableViewCell::create(TableViewCellStyle::Value1, "c");
    cell->textLabel().setText(std::to_string(ip.section) + "/" + std::to_string(ip.row));
    return cell;
  }
  std::string titleForHeader(TableView&, int s) override { return s == 0 ? "全部" : ""; }
  std::optional<double> heightForHeader(TableView&, int s) override {
    return s == 1 ? std::optional(30.0) : std::nullopt;
  }
  std::shared_ptr<View> viewForHeader(TableView&, int s) override {
    if (s != 1) return nullptr;
    auto v = std::make_shared<View>();
    v->setTag(77);
    return v;
  }
  std::optional<double> heightForRow(TableView&, const IndexPath& ip) override {
    return ip.section == 1 ? std::optional(60.0) : std::nullopt;
  }
  std::optional<IndexPath> willSelectRow(TableView&, const IndexPath& ip) override {
    if (refuse) return std::nullopt;
    return redirect.value_or(ip);
  }
  void didSelectRow(TableView&, const IndexPath& ip) override { selected.push_back(ip); }
  bool canEditRow(TableView&, const IndexPath&) override { return true; }
  void commitEditingStyle(TableView& t, TableViewCellEditingStyle, const IndexPath& ip) override {
    deleted.push_back(ip);
    --rows[size_t(ip.section)];
    t.deleteRows({ip}, TableViewRowAnimation::Automatic);
  }
};

class SectionedTables : public testsupport::ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    table_ = std::make_shared<TableView>(Rect(0, 0, 320, 400));
    table_->setDataSource(&data_);
    table_->setTableDelegate(&data_);
    window_->addSubview(table_);
    table_->layoutIfNeeded();
  }
  Point rowCentre(const IndexPath& ip) {
    return table_->convertPointTo(table_->rectForRow(ip).center(), nullptr);
  }
  Sections data_;
  std::shared_ptr<TableView> table_;
};

using Pulling = testsupport::ViewFixture;

}  // namespace

TEST_F(Pulling, AContentInsetExtendsHowFarTheContentRests) {
  auto list = std::make_shared<ScrollView>(Rect(0, 0, 320, 400));
  list->setContentSize({320, 1000});
  PullLog log;
  list->setDelegate(&log);
  window_->addSubview(list);
  list->setContentOffset({0, 600});
  // Pulled 66 points past the end: the screen that loads more sees it while the finger is down.
  drag({160, 300}, {160, 234}, 6);
  EXPECT_TRUE(log.sawDragging);
  EXPECT_NEAR(log.furthest, 66, 1e-9);
  advance(1);
  EXPECT_EQ(list->contentOffset().y, 600);
  list->setContentInset({0, 0, 65, 0});
  EXPECT_EQ(list->maximumOffset().y, 665);
  drag({160, 300}, {160, 200}, 6);
  advance(1);
  EXPECT_EQ(list->contentOffset().y, 665) << "it rests with the inset showing";
  list->setContentSize({640, 1000});
  list->setContentInset({0, 0, 0, 30});
  EXPECT_EQ(list->maximumOffset().x, 640 - 320 + 30) << "the right inset widens the scroll";
}

TEST_F(SectionedTables, SectionsHaveTheirHeadersAndRowHeights) {
  EXPECT_EQ(table_->rectForHeader(0), Rect(0, 0, 320, 22));
  EXPECT_EQ(table_->rectForRow({0, 2}), Rect(0, 22 + 88, 320, 44));
  EXPECT_EQ(table_->rectForHeader(1), Rect(0, 22 + 132, 320, 30));
  EXPECT_EQ(table_->rectForRow({1, 1}), Rect(0, 22 + 132 + 30 + 60, 320, 60));
  EXPECT_EQ(table_->contentSize().height, 22 + 132 + 30 + 120);
  View* header = table_->viewWithTag(77);
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->frame(), table_->rectForHeader(1));
  EXPECT_EQ(table_->cellForRow({1, 0})->detailTextLabel()->frame().width,
            table_->cellForRow({1, 0})->textLabel().frame().width)
      << "value-one cells share the row between the two labels";
}

TEST_F(SectionedTables, TheDelegateCanRedirectOrRefuseASelection) {
  data_.redirect = IndexPath{1, 1};
  tap(rowCentre({0, 0}));
  EXPECT_EQ(data_.selected, (std::vector<IndexPath>{{1, 1}}));
  EXPECT_TRUE(table_->cellForRow({1, 1})->isSelected());
  EXPECT_FALSE(table_->cellForRow({0, 0})->isSelected());
  data_.refuse = true;
  tap(rowCentre({0, 1}));
  EXPECT_EQ(data_.selected.size(), 1u);
  data_.refuse = false;
  table_->setAllowsSelection(false);
  tap(rowCentre({0, 1}));
  EXPECT_EQ(data_.selected.size(), 1u);
}

TEST_F(SectionedTables, EditingModeOffersDeletionThroughTheRowControl) {
  table_->setEditing(true);
  TableViewCell* cell = table_->cellForRow({0, 1});
  ASSERT_TRUE(cell->isEditing());
  tap(rowCentre({0, 1}));
  EXPECT_TRUE(data_.selected.empty()) << "rows are not selected while editing";
  View* control = nullptr;
  for (const auto& v : cell->subviews()) {
    auto* b = dynamic_cast<Button*>(v.get());
    if (b && b->currentTitle() == "−") control = b;
  }
  ASSERT_NE(control, nullptr);
  tap(control->convertPointTo(control->bounds().center(), nullptr));
  ASSERT_TRUE(cell->showingDeleteConfirmation());
  Button* confirm = cell->deleteConfirmationButton();
  tap(confirm->convertPointTo(confirm->bounds().center(), nullptr));
  EXPECT_EQ(data_.deleted, (std::vector<IndexPath>{{0, 1}}));
  EXPECT_EQ(table_->numberOfRows(0), 2);
}

TEST_F(SectionedTables, SectionUpdatesMustMatchTheNewSectionCount) {
  data_.rows.push_back(4);
  EXPECT_THROW(table_->deleteSections({0}, TableViewRowAnimation::Fade), NamedException);
  table_->insertSections({2}, TableViewRowAnimation::Fade);
  EXPECT_EQ(table_->numberOfSections(), 3);
  EXPECT_EQ(table_->numberOfRows(2), 4);
}

namespace {

// Loads more when let go past the end, and keeps the footer in view with an inset meanwhile.
class LoadMore : public ScrollViewDelegate {
 public:
  int loads = 0;
  void scrollViewDidEndDragging(ScrollView& s, bool) override {
    if (s.contentOffset().y + s.bounds().height <= s.contentSize().height + 65) return;
    ++loads;
    s.setContentInset({0, 0, 65, 0});
  }
};

}  // namespace

TEST_F(Pulling, AnInsetSetWhenTheFingerLiftsDecidesWhereTheContentRests) {
  auto list = std::make_shared<ScrollView>(Rect(0, 0, 320, 400));
  list->setContentSize({320, 1000});
  LoadMore more;
  list->setDelegate(&more);
  window_->addSubview(list);
  list->setContentOffset({0, 600});
  drag({160, 300}, {160, 200}, 6);
  EXPECT_EQ(more.loads, 1);
  advance(1);
  EXPECT_EQ(list->contentOffset().y, 665) << "the footer below the last row stays in view";
}

#include <gtest/gtest.h>

#include "platform/base/NamedException.h"
#include "platform/view/TableView.h"
#include "tests/platform/view/ViewFixture.h"

using namespace plat;

namespace {

class Words : public TableViewDataSource, public TableViewDelegate {
 public:
  std::vector<std::string> words;
  int cellsMade = 0;
  std::optional<int> rowsAnswered;  // overrides the count when set
  bool returnsNoCell = false;
  std::vector<IndexPath> selected;
  std::vector<IndexPath> deleted;

  int numberOfRows(TableView&, int) override { return rowsAnswered.value_or(int(words.size())); }
  std::shared_ptr<TableViewCell> cellForRow(TableView& table, const IndexPath& ip) override {
    if (returnsNoCell) return nullptr;
    auto cell = table.dequeueReusableCell("word");
    if (!cell) {
      ++cellsMade;
      cell = TableViewCell::create(TableViewCellStyle::Subtitle, "word");
    }
    cell->textLabel().setText(words[size_t(ip.row)]);
    return cell;
  }
  std::string titleForHeader(TableView&, int) override { return "全部"; }
  bool canEditRow(TableView&, const IndexPath& ip) override { return ip.row % 2 == 0; }
  void commitEditingStyle(TableView& table, TableViewCellEditingStyle,
                          const IndexPath& ip) override {
    deleted.push_back(ip);
    words.erase(words.begin() + ip.row);
    table.deleteRows({ip}, TableViewRowAnimation::Fade);
  }
  void didSelectRow(TableView&, const IndexPath& ip) override { selected.push_back(ip); }
};

class Tables : public testsupport::ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    for (int i = 0; i < 100; ++i) words_.words.push_back("word" + std::to_string(i));
    table_ = std::make_shared<TableView>(Rect(0, 20, 320, 440));
    table_->setDataSource(&words_);
    table_->setTableDelegate(&words_);
    window_->addSubview(table_);
  }
  Words words_;
  std::shared_ptr<TableView> table_;
};

}  // namespace

TEST_F(Tables, OnlyVisibleRowsHaveCellsAndScrolledOffCellsAreReused) {
  auto visible = table_->indexPathsForVisibleRows();
  ASSERT_FALSE(visible.empty());
  EXPECT_EQ(visible.front(), (IndexPath{0, 0}));
  EXPECT_EQ(visible.size(), 10u) << "22 points of header and 44-point rows in 440 points";
  int made = words_.cellsMade;
  EXPECT_EQ(made, 10);

  table_->setContentOffset({0, 44 * 50});
  visible = table_->indexPathsForVisibleRows();
  EXPECT_EQ(visible.front().row, 49);
  EXPECT_EQ(words_.cellsMade, made + 1) << "the cells that left the screen were reused";
  EXPECT_EQ(table_->cellForRow({0, 50})->displayedText(), "word50");
  EXPECT_EQ(table_->cellForRow({0, 0}), nullptr);
  EXPECT_EQ(table_->contentSize().height, 22 + 100 * 44);
}

TEST_F(Tables, ReloadShowsTheNewDataAndClearsTheSelection) {
  table_->selectRow(IndexPath{0, 2}, false, TableViewScrollPosition::None);
  EXPECT_TRUE(table_->cellForRow({0, 2})->isSelected());
  words_.words = {"apple", "banana"};
  table_->reloadData();
  EXPECT_EQ(table_->numberOfRows(0), 2);
  EXPECT_EQ(table_->visibleCells().size(), 2u);
  EXPECT_EQ(table_->cellForRow({0, 1})->displayedText(), "banana");
  EXPECT_FALSE(table_->indexPathForSelectedRow());
  EXPECT_FALSE(table_->cellForRow({0, 1})->isSelected()) << "a reused cell shows no old state";
}

TEST_F(Tables, ATapSelectsTheRowUnderTheFinger) {
  table_->layoutIfNeeded();
  Rect row = table_->rectForRow({0, 3});
  Point p = table_->convertPointTo(row.center(), nullptr);
  tap(p);
  EXPECT_EQ(words_.selected, (std::vector<IndexPath>{{0, 3}}));
  EXPECT_EQ(table_->indexPathForSelectedRow(), (IndexPath{0, 3}));

  // A drag scrolls instead of selecting.
  drag({160, 400}, {160, 200});
  EXPECT_EQ(words_.selected.size(), 1u);
  EXPECT_NEAR(table_->contentOffset().y, 200, 1e-9);

  // Below the last row there is no row to select.
  words_.words = {"apple", "banana"};
  table_->reloadData();
  table_->setContentOffset({0, 0});
  tap(table_->convertPointTo({160, table_->rectForRow({0, 1}).maxY() + 20}, nullptr));
  EXPECT_EQ(words_.selected.size(), 1u);
}

TEST_F(Tables, SwipeToDeleteAsksTheDataSource) {
  table_->layoutIfNeeded();
  Point row0 = table_->convertPointTo(table_->rectForRow({0, 0}).center(), nullptr);
  Point row1 = table_->convertPointTo(table_->rectForRow({0, 1}).center(), nullptr);
  drag(row1, {row1.x - 100, row1.y});
  EXPECT_FALSE(table_->cellForRow({0, 1})->showingDeleteConfirmation()) << "row 1 cannot be edited";
  drag(row0, {row0.x - 100, row0.y});
  TableViewCell* cell = table_->cellForRow({0, 0});
  ASSERT_TRUE(cell->showingDeleteConfirmation());
  EXPECT_EQ(cell->deleteConfirmationButton()->currentTitle(), "删除");
  EXPECT_TRUE(words_.selected.empty());
  Button* confirm = cell->deleteConfirmationButton();
  tap(confirm->convertPointTo(confirm->bounds().center(), nullptr));
  EXPECT_EQ(words_.deleted, (std::vector<IndexPath>{{0, 0}}));
  EXPECT_EQ(table_->numberOfRows(0), 99);
  EXPECT_EQ(table_->cellForRow({0, 0})->displayedText(), "word1");
}

TEST_F(Tables, InconsistentAnswersFailWithAClearMessage) {
  table_->layoutIfNeeded();
  words_.words.pop_back();
  try {
    table_->deleteRows({{0, 3}, {0, 4}}, TableViewRowAnimation::Fade);
    FAIL() << "an update that does not add up must fail";
  } catch (const NamedException& e) {
    EXPECT_EQ(e.name(), "NSInternalInconsistencyException");
    EXPECT_NE(e.reason().find("99 rows after it, but 100 before it"), std::string::npos)
        << e.reason();
  }
  words_.rowsAnswered = -3;
  table_->reloadData();
  EXPECT_THROW(table_->numberOfRows(0), NamedException);
  words_.rowsAnswered.reset();
  words_.returnsNoCell = true;
  table_->reloadData();
  try {
    table_->visibleCells();
    FAIL();
  } catch (const NamedException& e) {
    EXPECT_NE(e.reason().find("no cell for section 0 row 0"), std::string::npos);
  }
  words_.returnsNoCell = false;
  EXPECT_THROW(table_->scrollToRow({0, 500}, TableViewScrollPosition::Top, false), NamedException);
}

TEST_F(Tables, BatchedUpdatesAreCheckedTogether) {
  table_->layoutIfNeeded();
  words_.words.erase(words_.words.begin());
  words_.words.push_back("new");
  table_->beginUpdates();
  table_->deleteRows({{0, 0}}, TableViewRowAnimation::Fade);
  table_->insertRows({{0, 99}}, TableViewRowAnimation::Fade);
  table_->endUpdates();
  EXPECT_EQ(table_->numberOfRows(0), 100);
  EXPECT_EQ(table_->cellForRow({0, 0})->displayedText(), "word1");
}

TEST_F(Tables, ScrollingToARowPutsItWhereAsked) {
  table_->scrollToRow({0, 40}, TableViewScrollPosition::Top, false);
  EXPECT_EQ(table_->contentOffset().y, 22 + 40 * 44);
  table_->scrollToRow({0, 99}, TableViewScrollPosition::Top, false);
  EXPECT_EQ(table_->contentOffset().y, table_->contentSize().height - 440) << "clamped at the end";
  EXPECT_EQ(table_->indexPathForRowAtPoint({10, 22 + 44 * 7 + 1}), (IndexPath{0, 7}));
  EXPECT_FALSE(table_->indexPathForRowAtPoint({10, 5}));
}

TEST_F(Tables, AViewAddedToTheTableStaysAboveTheRowsThroughReloadsAndScrolls) {
  // A load-more footer sits in the table itself, just below the last row.
  words_.words.resize(5);
  table_->reloadData();
  table_->layoutIfNeeded();
  auto footer = std::make_shared<View>(Rect(0, 5 * 44 + 22, 320, 440));
  footer->setTag(500);
  table_->addSubview(footer);
  words_.words.resize(12);
  table_->reloadData();
  table_->setContentOffset({0, 44 * 4});
  table_->layoutIfNeeded();
  ASSERT_EQ(footer->superview(), table_.get());
  EXPECT_EQ(table_->viewWithTag(500), footer.get());
  size_t footerIndex = 0, lastCellIndex = 0;
  for (size_t i = 0; i < table_->subviews().size(); ++i) {
    if (table_->subviews()[i] == footer) footerIndex = i;
    if (dynamic_cast<TableViewCell*>(table_->subviews()[i].get())) lastCellIndex = i;
  }
  EXPECT_GT(footerIndex, lastCellIndex) << "rows that come into view go below it";
}

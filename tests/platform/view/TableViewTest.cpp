#include <gtest/gtest.h>

#include "platform/base/NamedException.h"
#include "platform/view/TableView.h"
#include "tests/platform/view/ViewFixture.h"

using namespace plat;

namespace {

// Rows of words by section. The second section, when there is one, has a header view 30 points
// tall and rows of 60; even rows may be deleted.
class Words : public TableViewDataSource, public TableViewDelegate {
 public:
  std::vector<std::vector<std::string>> sections;
  int cellsMade = 0;
  std::optional<int> rowsAnswered;  // overrides the count when set
  bool returnsNoCell = false;
  std::optional<IndexPath> redirect;
  bool refuse = false;
  std::vector<IndexPath> selected;
  std::vector<IndexPath> deleted;

  int numberOfSections(TableView&) override { return int(sections.size()); }
  int numberOfRows(TableView&, int s) override {
    return rowsAnswered.value_or(int(sections[size_t(s)].size()));
  }
  std::shared_ptr<TableViewCell> cellForRow(TableView& table, const IndexPath& ip) override {
    if (returnsNoCell) return nullptr;
    auto cell = table.dequeueReusableCell("word");
    if (!cell) {
      ++cellsMade;
      cell = TableViewCell::create(TableViewCellStyle::Value1, "word");
    }
    cell->textLabel().setText(sections[size_t(ip.section)][size_t(ip.row)]);
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
  bool canEditRow(TableView&, const IndexPath& ip) override { return ip.row % 2 == 0; }
  void commitEditingStyle(TableView& table, TableViewCellEditingStyle,
                          const IndexPath& ip) override {
    deleted.push_back(ip);
    auto& rows = sections[size_t(ip.section)];
    rows.erase(rows.begin() + ip.row);
    table.deleteRows({ip}, TableViewRowAnimation::Fade);
  }
};

class Tables : public testsupport::ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    words_.sections = {{}};
    for (int i = 0; i < 100; ++i) words_.sections[0].push_back("word" + std::to_string(i));
    table_ = std::make_shared<TableView>(Rect(0, 20, 320, 440));
    table_->setDataSource(&words_);
    table_->setTableDelegate(&words_);
    window_->addSubview(table_);
  }
  void useTwoSections() {
    words_.sections = {{"0/0", "0/1", "0/2"}, {"1/0", "1/1"}};
    table_->reloadData();
    table_->layoutIfNeeded();
  }
  Point rowCentre(const IndexPath& ip) {
    return table_->convertPointTo(table_->rectForRow(ip).center(), nullptr);
  }
  std::vector<std::string>& words() { return words_.sections[0]; }

  Words words_;
  std::shared_ptr<TableView> table_;
};

}  // namespace

TEST_F(Tables, OnlyVisibleRowsHaveCellsScrolledOffCellsAreReusedAndRowsAreScrolledTo) {
  auto visible = table_->indexPathsForVisibleRows();
  ASSERT_FALSE(visible.empty());
  EXPECT_EQ(visible.front(), (IndexPath{0, 0}));
  EXPECT_EQ(visible.size(), 10u) << "22 points of header and 44-point rows in 440 points";
  EXPECT_EQ(words_.cellsMade, 10);

  table_->setContentOffset({0, 44 * 50});
  EXPECT_EQ(table_->indexPathsForVisibleRows().front().row, 49);
  EXPECT_EQ(words_.cellsMade, 11) << "the cells that left the screen were reused";
  EXPECT_EQ(table_->cellForRow({0, 50})->displayedText(), "word50");
  EXPECT_EQ(table_->cellForRow({0, 0}), nullptr);

  table_->scrollToRow({0, 40}, TableViewScrollPosition::Top, false);
  EXPECT_EQ(table_->contentOffset().y, 22 + 40 * 44);
  table_->scrollToRow({0, 99}, TableViewScrollPosition::Top, false);
  EXPECT_EQ(table_->contentOffset().y, 22 + 100 * 44 - 440) << "clamped at the end";
  EXPECT_EQ(table_->indexPathForRowAtPoint({10, 22 + 44 * 7 + 1}), (IndexPath{0, 7}));
  EXPECT_FALSE(table_->indexPathForRowAtPoint({10, 5}));
}

TEST_F(Tables, ReloadsAndBatchedUpdatesShowTheNewData) {
  table_->selectRow(IndexPath{0, 2}, false, TableViewScrollPosition::None);
  EXPECT_TRUE(table_->cellForRow({0, 2})->isSelected());
  words() = {"apple", "banana"};
  table_->reloadData();
  EXPECT_EQ(table_->visibleCells().size(), 2u);
  EXPECT_EQ(table_->cellForRow({0, 1})->displayedText(), "banana");
  EXPECT_FALSE(table_->indexPathForSelectedRow());
  EXPECT_FALSE(table_->cellForRow({0, 1})->isSelected()) << "a reused cell shows no old state";

  // A deletion and an insertion batched together are checked together.
  words() = {"banana", "new"};
  table_->beginUpdates();
  table_->deleteRows({{0, 0}}, TableViewRowAnimation::Fade);
  table_->insertRows({{0, 1}}, TableViewRowAnimation::Fade);
  table_->endUpdates();
  EXPECT_EQ(table_->numberOfRows(0), 2);
  EXPECT_EQ(table_->cellForRow({0, 0})->displayedText(), "banana");
  EXPECT_EQ(table_->cellForRow({0, 1})->displayedText(), "new");
}

TEST_F(Tables, ATapSelectsTheRowUnderTheFinger) {
  table_->layoutIfNeeded();
  tap(rowCentre({0, 3}));
  EXPECT_EQ(words_.selected, (std::vector<IndexPath>{{0, 3}}));
  EXPECT_EQ(table_->indexPathForSelectedRow(), (IndexPath{0, 3}));

  drag({160, 400}, {160, 200});
  EXPECT_EQ(words_.selected.size(), 1u) << "a drag scrolls instead of selecting";
  EXPECT_NEAR(table_->contentOffset().y, 200, 1e-9);

  words() = {"apple", "banana"};
  table_->reloadData();
  table_->setContentOffset({0, 0});
  tap(table_->convertPointTo({160, table_->rectForRow({0, 1}).maxY() + 20}, nullptr));
  EXPECT_EQ(words_.selected.size(), 1u) << "below the last row there is no row to select";
}

TEST_F(Tables, SwipeToDeleteAsksTheDataSource) {
  table_->layoutIfNeeded();
  Point row0 = rowCentre({0, 0}), row1 = rowCentre({0, 1});
  drag(row1, {row1.x - 100, row1.y});
  EXPECT_FALSE(table_->cellForRow({0, 1})->showingDeleteConfirmation()) << "row 1 cannot be edited";
  drag(row0, {row0.x - 100, row0.y});
  TableViewCell* cell = table_->cellForRow({0, 0});
  ASSERT_TRUE(cell->showingDeleteConfirmation());
  EXPECT_EQ(cell->deleteConfirmationButton()->currentTitle(), "删除");
  EXPECT_TRUE(words_.selected.empty());
  tap(centerOf(*cell->deleteConfirmationButton()));
  EXPECT_EQ(words_.deleted, (std::vector<IndexPath>{{0, 0}}));
  EXPECT_EQ(table_->numberOfRows(0), 99);
  EXPECT_EQ(table_->cellForRow({0, 0})->displayedText(), "word1");
}

TEST_F(Tables, InconsistentAnswersFailWithAClearMessage) {
  table_->layoutIfNeeded();
  words().pop_back();
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

  useTwoSections();
  words_.sections.push_back({"2/0"});
  EXPECT_THROW(table_->deleteSections({0}, TableViewRowAnimation::Fade), NamedException);
  table_->insertSections({2}, TableViewRowAnimation::Fade);
  EXPECT_EQ(table_->numberOfSections(), 3);
}

TEST_F(Tables, AViewAddedToTheTableStaysAboveTheRowsThroughReloadsAndScrolls) {
  // A load-more footer sits in the table itself, just below the last row.
  words().resize(5);
  table_->reloadData();
  table_->layoutIfNeeded();
  auto footer = std::make_shared<View>(Rect(0, 5 * 44 + 22, 320, 440));
  table_->addSubview(footer);
  words().resize(12);
  table_->reloadData();
  table_->setContentOffset({0, 44 * 4});
  table_->layoutIfNeeded();
  ASSERT_EQ(footer->superview(), table_.get());
  size_t footerIndex = 0, lastCellIndex = 0;
  for (size_t i = 0; i < table_->subviews().size(); ++i) {
    if (table_->subviews()[i] == footer) footerIndex = i;
    if (dynamic_cast<TableViewCell*>(table_->subviews()[i].get())) lastCellIndex = i;
  }
  EXPECT_GT(footerIndex, lastCellIndex) << "rows that come into view go below it";
}

TEST_F(Tables, SectionsHaveTheirHeadersAndRowHeights) {
  useTwoSections();
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

TEST_F(Tables, TheDelegateCanRedirectOrRefuseASelection) {
  useTwoSections();
  words_.redirect = IndexPath{1, 1};
  tap(rowCentre({0, 0}));
  EXPECT_EQ(words_.selected, (std::vector<IndexPath>{{1, 1}}));
  EXPECT_TRUE(table_->cellForRow({1, 1})->isSelected());
  EXPECT_FALSE(table_->cellForRow({0, 0})->isSelected());
  words_.refuse = true;
  tap(rowCentre({0, 1}));
  words_.refuse = false;
  table_->setAllowsSelection(false);
  tap(rowCentre({0, 1}));
  EXPECT_EQ(words_.selected.size(), 1u);
}

TEST_F(Tables, EditingModeOffersDeletionThroughTheRowControl) {
  useTwoSections();
  table_->setEditing(true);
  TableViewCell* cell = table_->cellForRow({0, 2});
  ASSERT_TRUE(cell->isEditing());
  tap(rowCentre({0, 2}));
  EXPECT_TRUE(words_.selected.empty()) << "rows are not selected while editing";
  View* control = nullptr;
  for (const auto& v : cell->subviews()) {
    auto* b = dynamic_cast<Button*>(v.get());
    if (b && b->currentTitle() == "−") control = b;
  }
  ASSERT_NE(control, nullptr);
  tap(centerOf(*control));
  ASSERT_TRUE(cell->showingDeleteConfirmation());
  tap(centerOf(*cell->deleteConfirmationButton()));
  EXPECT_EQ(words_.deleted, (std::vector<IndexPath>{{0, 2}}));
  EXPECT_EQ(table_->numberOfRows(0), 2);
}

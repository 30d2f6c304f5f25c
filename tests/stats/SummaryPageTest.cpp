// The summary page's nine rows read from a real study store.
#include <gtest/gtest.h>

#include "platform/base/Bundle.h"
#include "platform/view/TableViewCell.h"
#include "stats/SummaryUIView.h"
#include "tests/stats/ChartPageFixture.h"

using namespace plat;

namespace {

using chartpagetest::ChartPageTest;

std::vector<std::string> values(const SummaryUIView& page) {
  std::vector<std::string> out;
  for (const auto& row : page.cellArray()) out.push_back(row.at(1));
  return out;
}

TEST_F(ChartPageTest, SummaryOfAnEmptyStoreShowsZeroes) {
  SummaryUIView page(pageFrame_);
  page.refreshData();
  EXPECT_EQ(values(page), (std::vector<std::string>{"0天", "0天", "0天", "0个", "0个", "0.0个",
                                                    "0.0个", "0.0个", "0.0个"}));
}

TEST_F(ChartPageTest, SummaryDividesByStudyDaysAndShowsSignInsAndAnswers) {
  studied("a", 10, 1000, 2, 5);  // first study day 2 days ago: 3 study days
  db_->UpdatePersonalValue("nSignInAll", "42");
  db_->UpdatePersonalValue("nSignInCur", "7 days");
  db_->UpdatePersonalValue("nSignInMax", "x");
  db_->UpdatePersonalValue("rememberNum", "20");

  SummaryUIView page(pageFrame_);
  page.refreshData();
  const auto v = values(page);
  ASSERT_EQ(v.size(), 9u);
  EXPECT_EQ(v[0], "42天");
  EXPECT_EQ(v[1], "7天");
  EXPECT_EQ(v[2], "0天");
  EXPECT_EQ(v[3], "10个");
  EXPECT_EQ(v[4], "20个");
  EXPECT_EQ(v[5], "3.3个");
  EXPECT_EQ(v[6], "6.7个");
  EXPECT_EQ(page.cellArray()[0].at(0), localized("summary_eg1"));

  // The table shows the rows as value-1 cells that do not highlight.
  auto* table = dynamic_cast<TableView*>(page.viewWithTag(31));
  table->layoutIfNeeded();
  auto cell = page.cellForRow(*table, {0, 5});
  EXPECT_EQ(cell->style(), TableViewCellStyle::Value1);
  EXPECT_EQ(cell->selectionStyle(), TableViewCellSelectionStyle::None);
  ASSERT_NE(cell->detailTextLabel(), nullptr);
  EXPECT_EQ(cell->detailTextLabel()->text(), "3.3个");
  EXPECT_EQ(page.numberOfRows(*table, 0), 9);

  // A second refresh reads the store again.
  db_->UpdatePersonalValue("nSignInAll", "43");
  page.refreshData();
  EXPECT_EQ(values(page)[0], "43天");
  EXPECT_EQ(page.cellArray().size(), 9u);
}

}  // namespace

// The summary page's nine rows read from a real study store.
#include <gtest/gtest.h>

#include "stats/SummaryUIView.h"
#include "tests/stats/ScreenFixture.h"

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
  EXPECT_EQ(std::vector<std::string>(v.begin(), v.begin() + 7),
            (std::vector<std::string>{"42天", "7天", "0天", "10个", "20个", "3.3个", "6.7个"}));

  // A second refresh reads the store again.
  db_->UpdatePersonalValue("nSignInAll", "43");
  page.refreshData();
  EXPECT_EQ(values(page)[0], "43天");
}

}  // namespace

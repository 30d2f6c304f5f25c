#include "stats/ChartScale.h"

#include <gtest/gtest.h>

#include <vector>

using plat::Value;

namespace {

struct Band {
  float top;
  int64_t step;
  int64_t steps;
};

}  // namespace

TEST(ChartScale, TopValuesFallIntoTheirBands) {
  const std::vector<Band> bands = {
      {0, 1, 5},       {-40, 1, 5},    {5, 1, 5},      {5.5f, 2, 3},
      {20, 2, 10},     {21, 5, 5},     {200, 20, 10},  {201, 30, 7},
      {1000, 100, 10}, {1001, 150, 7}, {2001, 300, 7}, {20000, 2000, 10},
  };
  for (const Band& band : bands) {
    ChartScale scale = chartscale::forTop(band.top);
    EXPECT_EQ(scale.step, band.step) << "top " << band.top;
    EXPECT_EQ(scale.stepCount, band.steps) << "top " << band.top;
  }
  ChartScale absurd = chartscale::forTop(3e38f);  // still a whole scale
  EXPECT_GT(absurd.step, 0);
  EXPECT_GT(absurd.stepCount, 0);
}

TEST(ChartScale, ElementsReadAsNumbersOrStayEmpty) {
  EXPECT_EQ(chartscale::valueOf(Value(2.5)), 2.5f);
  EXPECT_EQ(chartscale::valueOf(Value("33.7")), 33.7f);
  EXPECT_EQ(chartscale::valueOf(Value("  -4.5 days")), -4.5f);
  EXPECT_EQ(chartscale::valueOf(Value("none")), 0.0f);

  EXPECT_EQ(chartscale::valueOf(Value()), std::nullopt);
  EXPECT_EQ(chartscale::valueOf(Value("nan")), std::nullopt);
  EXPECT_EQ(chartscale::valueOf(Value("inf")), std::nullopt);
  EXPECT_EQ(chartscale::valueOf(Value(1e300)), std::nullopt);
  EXPECT_EQ(chartscale::valueOf(Value::array({1})), std::nullopt);
}

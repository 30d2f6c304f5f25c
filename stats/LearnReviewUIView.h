// Statistics page 2: words newly learnt and reviewed on each of the last 14 study days, and the
// reviews due on today and each of the next 13.
#pragma once

#include "stats/ChartPageView.h"

class LearnReviewUIView : public ChartPageView {
 public:
  explicit LearnReviewUIView(const plat::Rect& frame);

 protected:
  int64_t columnCount() const override { return 30; }
  int64_t todayColumn() const override { return 15; }
  void configureChart(DrawTable& chart) const override;
  plat::Value series() override;
};

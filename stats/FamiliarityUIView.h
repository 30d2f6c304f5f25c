// Statistics page 3: memory durability, the studied words remembered for over 30, 60 and 90
// days as logged on each of the last 14 study days.
#pragma once

#include "stats/ChartPageView.h"

class FamiliarityUIView : public ChartPageView {
 public:
  explicit FamiliarityUIView(const plat::Rect& frame);

 protected:
  int64_t columnCount() const override { return 17; }
  int64_t todayColumn() const override { return 15; }
  void configureChart(DrawTable& chart) const override;
  plat::Value series() override;
};

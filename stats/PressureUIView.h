// Statistics page 5: two fixed curves of the daily review load over 16 days, under this
// program's planning and under reviews on days 1, 2, 4, 7 and 15. Filled once.
#pragma once

#include "stats/ChartPageView.h"

class PressureUIView : public ChartPageView {
 public:
  explicit PressureUIView(const plat::Rect& frame);

  // Does nothing once the chart exists: its curves never change.
  void refreshData() override;

 protected:
  int64_t columnCount() const override { return 19; }
  void configureChart(DrawTable& chart) const override;
  plat::Value series() override;
};

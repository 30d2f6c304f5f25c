// Statistics page 4: the forgetting curve - logged retention of the last 14 study days, its
// projection for the next 13, and a reference curve of forgetting without review.
#pragma once

#include "stats/ChartPageView.h"

class OblivionUIView : public ChartPageView {
 public:
  explicit OblivionUIView(const plat::Rect& frame);

  // The reference curve as handed to the chart (drawn last element leftmost).
  static plat::Value referenceCurve();

 protected:
  int64_t phoneExtraWidth() const override { return 100; }
  int64_t columnCount() const override { return 30; }
  int64_t todayColumn() const override { return 15; }
  void configureChart(DrawTable& chart) const override;
  plat::Value series() override;
};

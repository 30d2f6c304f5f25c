// The legend under a chart: one row per series, its colour as a short line with a dot and its
// name beside it.
#pragma once

#include <string>
#include <vector>

#include "platform/view/View.h"

class LineUIView : public plat::View {
 public:
  explicit LineUIView(const plat::Rect& frame);

  void setLineName(std::vector<std::string> names) { lineName_ = std::move(names); }
  void setLineColor(std::vector<plat::Color> colors) { lineColor_ = std::move(colors); }
  const std::vector<std::string>& lineName() const { return lineName_; }
  const std::vector<plat::Color>& lineColor() const { return lineColor_; }

  void drawRect(plat::DrawContext& context, const plat::Rect& rect) override;

 private:
  std::vector<std::string> lineName_;
  std::vector<plat::Color> lineColor_;
};

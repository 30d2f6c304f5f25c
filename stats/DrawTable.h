// The line chart of the statistics pages: several series over a striped grid, one column per
// day with a text label under each, and the value scale worked out from the data (or fixed).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/Value.h"
#include "platform/view/View.h"
#include "stats/ColumnLabel.h"
#include "stats/P_Point.h"

class DrawTable : public plat::View {
 public:
  // `drawPoint` gives the plot area's margins; `hscaleNum` is the number of columns.
  DrawTable(const plat::Rect& frame, plat::Point drawPoint, int64_t hscaleNum);

  // Configuration, set before PointData.
  void setBeginPos(std::vector<int64_t> beginPos) { beginPos_ = std::move(beginPos); }
  void setColors(std::vector<plat::Color> colors) { colors_ = std::move(colors); }
  void setHscaleName(std::vector<std::string> names) { HscaleName_ = std::move(names); }
  // Highlight colours by label number written in decimal ("1" for the first label).
  void setHscaleColor(std::map<std::string, plat::Color> colors) {
    HscaleColor_ = std::move(colors);
  }
  void setMaxVNum(int64_t maxVNum) { maxVNum_ = maxVNum; }  // -1: the data set the top

  // Takes an array of series (each an array of numbers, decimal strings or nulls), works out the
  // scale and the points, and asks for a redraw. An empty array changes nothing.
  void PointData(const plat::Value& series);
  // [VScaleNum, VscaleSize, NumFromVScale], as DrawVScale::InfoFromVScale takes it.
  plat::Value getVScaleInfo() const;

  const std::vector<std::vector<P_Point>>& Points() const { return Points_; }
  const std::vector<int64_t>& beginPos() const { return beginPos_; }
  const std::vector<plat::Color>& colors() const { return colors_; }
  const std::vector<std::string>& HscaleName() const { return HscaleName_; }
  const std::map<std::string, plat::Color>& HscaleColor() const { return HscaleColor_; }
  plat::Rect drawRect() const { return drawRect_; }  // the plot area
  double VscaleSize() const { return VscaleSize_; }
  double HscaleSize() const { return HscaleSize_; }
  int64_t VScaleNum() const { return VScaleNum_; }
  int64_t HScaleNum() const { return HScaleNum_; }
  int64_t maxVNum() const { return maxVNum_; }
  int64_t NumFromVScale() const { return NumFromVScale_; }

  // The label of column label `j` (from 0) as it is drawn: its lines, size and place.
  ColumnLabel columnLabel(size_t j) const;

  void drawRect(plat::DrawContext& context, const plat::Rect& rect) override;

 private:
  float topValue(const plat::Value& series) const;
  int64_t beginColumn(size_t series) const;
  void drawColumns(plat::DrawContext& context) const;
  void drawColumnLabels(plat::DrawContext& context) const;
  void drawGrid(plat::DrawContext& context) const;
  void drawSeries(plat::DrawContext& context) const;
  double labelLeft(size_t j) const;
  // The x of the chart that the scroll view it sits in shows; all of it when nothing clips it.
  std::pair<double, double> shownSpan() const;

  std::vector<std::vector<P_Point>> Points_;
  std::vector<int64_t> beginPos_;
  std::vector<plat::Color> colors_;
  std::vector<std::string> HscaleName_;
  std::map<std::string, plat::Color> HscaleColor_;
  plat::Rect drawRect_;
  double VscaleSize_ = 0;
  double HscaleSize_ = 0;
  int64_t VScaleNum_ = 0;
  int64_t HScaleNum_ = 0;
  int64_t maxVNum_ = -1;
  int64_t NumFromVScale_ = 0;
};

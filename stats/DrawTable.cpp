#include "stats/DrawTable.h"

#include <algorithm>
#include <limits>

#include "platform/draw/TextLayout.h"
#include "stats/ChartScale.h"
#include "stats/ChartStyle.h"

using namespace plat;

namespace {

constexpr double kLabelFontSize = 10;
// A label's top left from its column's left edge under the plot area.
constexpr double kLabelIndent = -2;
constexpr double kLabelTop = 7;
constexpr double kLabelGap = 3;
constexpr double kHighlightCorner = 5;

const Color kEvenStripe = Color::rgb255(41, 51, 51);
const Color kOddStripe = Color::white(51.0 / 255);
const Color kGridLine = Color::white(54.0 / 255);

}  // namespace

DrawTable::DrawTable(const Rect& frame, Point drawPoint, int64_t hscaleNum) : View(frame) {
  setAutoresizingMask(kFlexibleAll);
  setBackgroundColor(Color::clear());
  setOpaque(false);
  drawRect_ = Rect(drawPoint.x, drawPoint.y, frame.width - 2 * drawPoint.x,
                   frame.height - 2 * drawPoint.y - chartstyle::kLabelSpace);
  HScaleNum_ = hscaleNum;
  // Without columns there is nothing to divide the width into.
  HscaleSize_ = hscaleNum > 0 ? drawRect_.width / double(hscaleNum) : 0;
  maxVNum_ = -1;
  // The chart's left edge sits at x 0 of whatever holds it.
  setCenter({frame.width / 2, center().y});
}

float DrawTable::topValue(const Value& series) const {
  if (maxVNum_ != -1) return float(maxVNum_);
  float top = 0;
  for (size_t i = 0; i < series.size(); ++i) {
    const Value& values = series[i];
    for (size_t k = 0; k < values.size(); ++k) {
      if (auto v = chartscale::valueOf(values[k])) top = std::max(top, *v);
    }
  }
  return top;
}

int64_t DrawTable::beginColumn(size_t series) const {
  return series < beginPos_.size() ? beginPos_[series] : 0;
}

void DrawTable::PointData(const Value& series) {
  if (series.size() == 0) return;

  ChartScale scale = chartscale::forTop(topValue(series));
  NumFromVScale_ = scale.step;
  VScaleNum_ = scale.stepCount;
  VscaleSize_ = float(drawRect_.height) / float(VScaleNum_);

  Points_.clear();
  const double bottom = drawRect_.y + drawRect_.height;
  for (size_t i = 0; i < series.size(); ++i) {
    const Value& values = series[i];
    const int64_t begin = beginColumn(i);
    std::vector<P_Point> points;
    // The last element is drawn leftmost: callers pass their newest value first.
    for (size_t k = 0; k < values.size(); ++k) {
      auto v = chartscale::valueOf(values[values.size() - 1 - k]);
      if (!v) continue;
      float steps = NumFromVScale_ != 0 ? *v / float(NumFromVScale_) : 0;
      double x = drawRect_.x + HscaleSize_ * double(begin) + double(k) * HscaleSize_;
      double y = bottom - steps * VscaleSize_;
      points.push_back(P_Point::makeWithX(float(x), float(y)));
    }
    Points_.push_back(std::move(points));
  }
  setNeedsDisplay();
}

Value DrawTable::getVScaleInfo() const {
  return Value::array({Value(VScaleNum_), Value(VscaleSize_), Value(NumFromVScale_)});
}

void DrawTable::drawRect(DrawContext& context, const Rect&) {
  drawColumns(context);
  drawColumnLabels(context);
  drawGrid(context);
  drawSeries(context);
}

void DrawTable::drawColumns(DrawContext& context) const {
  for (int64_t c = 0; c < HScaleNum_; ++c) {
    context.setFillColor(c % 2 == 0 ? kEvenStripe : kOddStripe);
    context.fillRect(
        {drawRect_.x + double(c) * HscaleSize_, drawRect_.y, HscaleSize_, drawRect_.height});
  }
}

// Only labels wholly in view are drawn: cut at the scroll view's edge, "13天前" would read
// "3天前".
void DrawTable::drawColumnLabels(DrawContext& context) const {
  const double bottom = drawRect_.y + drawRect_.height;
  const Font font = Font::system(kLabelFontSize);
  const auto [shownLeft, shownRight] = shownSpan();
  if (HscaleName_.empty()) {
    // Numbered columns, in the colour the last stripe left behind.
    for (int64_t c = 0; c < HScaleNum_; ++c) {
      const std::string number = std::to_string(c);
      const Rect frame{drawRect_.x + double(c) * HscaleSize_ + 1, bottom + 7,
                       measureText(number, font).width, 20};
      if (columnlabel::showsWhole(frame, shownLeft, shownRight))
        context.drawText(number, {frame.x, frame.y, 20, 20}, font);
    }
    return;
  }
  for (size_t j = 0; j < HscaleName_.size(); ++j) {
    const ColumnLabel label = columnLabel(j);
    auto highlight = HscaleColor_.find(std::to_string(j + 1));
    const bool highlighted = highlight != HscaleColor_.end();
    const Rect box = columnlabel::highlightBox(label);
    if (!columnlabel::showsWhole(highlighted ? box : columnlabel::extent(label), shownLeft,
                                 shownRight))
      continue;
    if (highlighted) {
      chartstyle::paintWith(context, highlight->second);
      context.setLineWidth(1);
      context.beginPath();
      context.addRoundedRect(box, kHighlightCorner);
      context.drawPath(PathDrawingMode::FillStroke);
      context.setFillColor(chartstyle::highlightText());
    } else {
      context.setFillColor(chartstyle::textGrey());
    }
    for (size_t line = 0; line < label.lines.size(); ++line)
      context.drawText(label.lines[line], label.lineFrames[line].origin(), label.font);
  }
}

std::pair<double, double> DrawTable::shownSpan() const {
  const View* holder = superview();
  if (!holder || !holder->clipsToBounds()) {
    constexpr double kAll = std::numeric_limits<double>::infinity();
    return {-kAll, kAll};
  }
  const Rect shown = holder->bounds();
  return {convertFromSuperview(shown.origin()).x,
          convertFromSuperview({shown.maxX(), shown.maxY()}).x};
}

double DrawTable::labelLeft(size_t j) const {
  int64_t first = HScaleNum_;
  for (int64_t begin : beginPos_) first = std::min(first, begin);
  return drawRect_.x + double(first + int64_t(j)) * HscaleSize_;
}

ColumnLabel DrawTable::columnLabel(size_t j) const {
  const double top = drawRect_.y + drawRect_.height + kLabelTop;
  // Short of the column by a gap that keeps neighbours apart: "天前天前" read as one word.
  const plat::Size room{HscaleSize_ - kLabelGap, bounds().height - top};
  return columnlabel::fit(HscaleName_.at(j), {labelLeft(j) + kLabelIndent, top}, room,
                          Font::system(kLabelFontSize));
}

void DrawTable::drawGrid(DrawContext& context) const {
  context.setStrokeColor(kGridLine);
  context.setLineWidth(1);
  for (int64_t i = 0; i < VScaleNum_; ++i) {
    const double y = drawRect_.y + double(i) * VscaleSize_;
    context.strokeLine({drawRect_.x, y}, {drawRect_.x + drawRect_.width, y});
  }
}

void DrawTable::drawSeries(DrawContext& context) const {
  context.setLineWidth(2);
  for (size_t i = 0; i < Points_.size(); ++i) {
    const std::vector<P_Point>& points = Points_[i];
    chartstyle::paintWith(context, i < colors_.size() ? colors_[i] : Color::blue());
    if (points.size() == 1) {
      context.strokeRect({points[0].x - 1.5, points[0].y - 1.5, 3, 3});
      continue;
    }
    for (size_t k = 1; k < points.size(); ++k) {
      const P_Point& a = points[k - 1];
      const P_Point& b = points[k];
      context.strokeLine({a.x, a.y}, {b.x, b.y});
      context.fillEllipse({a.x - 2.5, a.y - 2.5, 5, 5});
      context.fillEllipse({b.x - 2.5, b.y - 2.5, 5, 5});
    }
  }
}

#include "stats/ChartPageView.h"

#include <algorithm>

#include "platform/base/Bundle.h"
#include "platform/base/Device.h"
#include "platform/draw/Image.h"
#include "platform/view/ImageView.h"
#include "platform/view/Label.h"
#include "platform/view/ScrollView.h"
#include "stats/DrawTable.h"
#include "stats/DrawVScale.h"
#include "stats/LineUIView.h"

using namespace plat;

namespace {

constexpr unsigned kPageResizing = kFlexibleLeftMargin | kFlexibleWidth | kFlexibleRightMargin |
                                   kFlexibleHeight | kFlexibleBottomMargin;

}  // namespace

ChartPageView::ChartPageView(const Rect& frame, Tags tags, int64_t dataViewX)
    : View(frame), DataViewX_(dataViewX), tags_(tags) {}

void ChartPageView::build(const std::string& titleKey, const Legend& legend) {
  const double w = frame().width, h = frame().height;
  setBackgroundColor(Color::clear());
  setOpaque(false);
  setAutoresizingMask(kPageResizing);

  auto title = std::make_shared<Label>(Rect{10, 0, w - 20, 50});
  title->setLineBreakMode(LineBreakMode::WordWrap);
  title->setNumberOfLines(0);
  title->setTextColor(Color::black());
  title->setFont(Font::system(12));
  title->setMinimumFontSize(12);
  title->setAutoresizingMask(kFlexibleLeftMargin | kFlexibleWidth | kFlexibleRightMargin |
                             kFlexibleBottomMargin);
  title->setText(localized(titleKey));
  title->setTag(tags_.title);
  addSubview(title);

  const double scaleWidth = double(DataViewX_ + 1);
  auto scale =
      std::make_shared<DrawVScale>(Rect{0, 50, scaleWidth, h - 120}, Point{double(DataViewX_), 20});
  scale->setTag(tags_.scale);
  addSubview(scale);
  sendSubviewToBack(scale.get());

  auto scroll = std::make_shared<ScrollView>(Rect{scaleWidth, 50, w - scaleWidth - 25, h - 120});
  scroll->setTag(tags_.scroll);
  scroll->setContentSize({double(getScrollWidth()), scroll->frame().height});
  scroll->setShowsHorizontalScrollIndicator(false);
  scroll->setBackgroundColor(Color::clear());
  scroll->setOpaque(false);
  scroll->setAutoresizingMask(kPageResizing);
  addSubview(scroll);
  sendSubviewToBack(scroll.get());

  const double scrollHeight = scroll->frame().height;
  auto background = std::make_shared<ImageView>(Rect{5, 50, w - 10, scrollHeight + legend.height});
  if (auto image = Image::named("gui/static_bg.png"))
    background->setImage(image->stretchable(10, 10));
  addSubview(background);
  sendSubviewToBack(background.get());

  auto lines = std::make_shared<LineUIView>(Rect{5, 50 + scrollHeight, w - 10, legend.height});
  lines->setLineColor(legend.colors);
  lines->setLineName(legend.names);
  addSubview(lines);
}

int64_t ChartPageView::getScrollWidth() const {
  const double w = frame().width;
  if (Device::current().idiom == DeviceIdiom::Tablet) return int64_t(w + 50);
  return int64_t(2 * w + double(phoneExtraWidth()));
}

void ChartPageView::refreshContentSize() {
  auto* scroll = dynamic_cast<ScrollView*>(viewWithTag(tags_.scroll));
  if (scroll) scroll->setContentSize({double(getScrollWidth()), scroll->frame().height});
}

DrawTable* ChartPageView::chart() {
  return dynamic_cast<DrawTable*>(viewWithTag(tags_.chart));
}

DrawVScale* ChartPageView::valueScale() {
  return dynamic_cast<DrawVScale*>(viewWithTag(tags_.scale));
}

bool ChartPageView::ensureChart() {
  if (chart()) return false;
  DrawVScale* scale = valueScale();
  View* scroll = viewWithTag(tags_.scroll);
  if (!scale || !scroll) return false;
  auto table = std::make_shared<DrawTable>(
      Rect{0, 0, double(getScrollWidth()), scale->frame().height}, Point{0, 20}, columnCount());
  configureChart(*table);
  table->setTag(tags_.chart);
  scroll->addSubview(table);
  scroll->sendSubviewToBack(table.get());
  // At its left edge the chart would open on the days long past, with today out of sight.
  scrollToToday();
  return true;
}

void ChartPageView::scrollToToday() {
  auto* scroll = dynamic_cast<ScrollView*>(viewWithTag(tags_.scroll));
  DrawTable* table = chart();
  if (!scroll || !table || todayColumn() <= 0) return;
  const double window = scroll->frame().width;
  const double farthest = std::max(0.0, scroll->contentSize().width - window);
  const double today = table->drawRect().x + (double(todayColumn()) + 0.5) * table->HscaleSize();
  scroll->setContentOffset({std::clamp(today - window / 2, 0.0, farthest), 0});
}

void ChartPageView::loadSeries() {
  DrawTable* table = chart();
  DrawVScale* scale = valueScale();
  if (!table || !scale) return;
  table->PointData(series());
  scale->InfoFromVScale(table->getVScaleInfo());
}

void ChartPageView::refreshData() {
  ensureChart();
  loadSeries();
}

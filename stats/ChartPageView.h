// The shared frame of the statistics chart pages: title, value scale, scrolling chart, legend and
// background, with the chart made on the first refresh and refilled from the page's series.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/Value.h"
#include "platform/view/View.h"

class DrawTable;
class DrawVScale;
class StatisticsListController;

class ChartPageView : public plat::View {
 public:
  // The tags of a page's title label, scroll view, chart and value scale.
  struct Tags {
    int title;
    int scroll;
    int chart;
    int scale;
  };

  // The width of the scrolling chart: twice the page on a phone, the page plus 50 on a tablet.
  int64_t getScrollWidth() const;
  void refreshContentSize();
  // Makes the chart on the first call, then (re)loads its series and the value scale.
  virtual void refreshData();

  StatisticsListController* parent() const { return parent_; }
  void setParent(StatisticsListController* parent) { parent_ = parent; }
  int64_t DataViewX() const { return DataViewX_; }
  void setDataViewX(int64_t x) { DataViewX_ = x; }

  const Tags& tags() const { return tags_; }
  DrawTable* chart();
  DrawVScale* valueScale();

 protected:
  struct Legend {
    std::vector<plat::Color> colors;
    std::vector<std::string> names;
    double height = 60;
  };

  // Subclasses call build() at the end of their constructor, once their settings are known.
  ChartPageView(const plat::Rect& frame, Tags tags, int64_t dataViewX);
  void build(const std::string& titleKey, const Legend& legend);

  // Extra chart width on a phone beyond twice the page.
  virtual int64_t phoneExtraWidth() const { return 0; }
  virtual int64_t columnCount() const = 0;
  // The column of today's label, where the chart opens; 0 on a chart without days.
  virtual int64_t todayColumn() const { return 0; }
  // Labels, highlight, begin columns, colours and any fixed top of a new chart.
  virtual void configureChart(DrawTable& chart) const = 0;
  // The array of series handed to the chart.
  virtual plat::Value series() = 0;
  // Makes the chart when it is missing; true when it was made now.
  bool ensureChart();
  // Scrolls the chart so that today's column stands in the middle of the window, as far as the
  // chart reaches.
  void scrollToToday();
  void loadSeries();

 private:
  StatisticsListController* parent_ = nullptr;
  int64_t DataViewX_;
  Tags tags_;
};

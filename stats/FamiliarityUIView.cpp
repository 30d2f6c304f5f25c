#include "stats/FamiliarityUIView.h"

#include "stats/ChartPageStyle.h"
#include "stats/DrawTable.h"
#include "store/CallDB.h"

using namespace plat;

FamiliarityUIView::FamiliarityUIView(const Rect& frame)
    : ChartPageView(frame, {21, 22, 23, 24}, 40) {
  build("statistics_eg1",
        {{chartpage::yellow(), chartpage::red(), chartpage::green()},
         {"记忆持久超过30天单词数", "记忆持久超过60天单词数", "记忆持久超过90天单词数"}});
}

void FamiliarityUIView::configureChart(DrawTable& chart) const {
  std::vector<std::string> labels = chartpage::dayLabels();
  labels.resize(14);  // 13 days ago to today
  chart.setHscaleName(labels);
  chart.setHscaleColor(chartpage::todayHighlight());
  chart.setBeginPos({2, 2, 2});
  chart.setColors({chartpage::yellow(), chartpage::red(), chartpage::green()});
}

Value FamiliarityUIView::series() {
  return CallDB::callDB()->FamiliarityFromDay(14);
}

#include "stats/LearnReviewUIView.h"

#include "stats/ChartPageStyle.h"
#include "stats/DrawTable.h"
#include "store/CallDB.h"

using namespace plat;

LearnReviewUIView::LearnReviewUIView(const Rect& frame)
    : ChartPageView(frame, {11, 12, 13, 14}, 40) {
  build("statistics_eg2", {{chartpage::yellow(), chartpage::red(), chartpage::green()},
                           {"新学习单词数", "已复习单词数", "待复习单词数"}});
}

void LearnReviewUIView::configureChart(DrawTable& chart) const {
  chart.setHscaleName(chartpage::dayLabels());
  chart.setHscaleColor(chartpage::todayHighlight());
  // Past days end in today's column 15, where the due counts begin.
  chart.setBeginPos({2, 2, 15});
  chart.setColors({chartpage::yellow(), chartpage::red(), chartpage::green()});
}

Value LearnReviewUIView::series() {
  CallDB* db = CallDB::callDB();
  return Value::array({db->LearnWordsFromDay(14), db->getReViewWordsFromDay(14),
                       db->getWillReviewWordsFromDay(13)});
}

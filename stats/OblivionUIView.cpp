#include "stats/OblivionUIView.h"

#include "stats/ChartPageStyle.h"
#include "stats/DrawTable.h"
#include "stats/DrawVScale.h"
#include "store/CallDB.h"

using namespace plat;

OblivionUIView::OblivionUIView(const Rect& frame) : ChartPageView(frame, {31, 32, 33, 34}, 50) {
  build("statistics_eg3", {{chartpage::yellow(), chartpage::red(), chartpage::green()},
                           {"你近期的遗忘曲线", "如果不再复习，你未来的遗忘曲线",
                            "不复习的遗忘曲线(艾宾浩斯遗忘曲线)"}});
  valueScale()->setScaleSign("%");
}

Value OblivionUIView::referenceCurve() {
  std::vector<Value> values;
  for (const char* v :
       {"20.10", "20.10", "20.18", "20.18", "20.28", "20.28", "20.28", "20.38", "20.38",
        "20.58", "20.58", "20.58", "20.98", "20.98", "21.56", "22.15", "22.75", "23.36",
        "23.98", "24.61", "25.25", "25.9",  "26.4",  "27",    "27.8",  "33.7",  "100"}) {
    values.emplace_back(v);
  }
  return Value::array(std::move(values));
}

void OblivionUIView::configureChart(DrawTable& chart) const {
  chart.setHscaleName(chartpage::dayLabels());
  chart.setHscaleColor(chartpage::todayHighlight());
  // The fourth entry only keeps the first labelled column at 2.
  chart.setBeginPos({2, 15, 2, 2});
  chart.setColors({chartpage::yellow(), chartpage::red(), chartpage::green()});
  chart.setMaxVNum(100);
}

Value OblivionUIView::series() {
  CallDB* db = CallDB::callDB();
  return Value::array(
      {db->ForgetWordsFromDay(14), db->getWillForgetWordsFromDay(14), referenceCurve()});
}

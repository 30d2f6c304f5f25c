#include "stats/PressureUIView.h"

#include "stats/ChartPageStyle.h"
#include "stats/DrawTable.h"

using namespace plat;

namespace {

Value strings(std::initializer_list<const char*> texts) {
  std::vector<Value> values;
  for (const char* t : texts) values.emplace_back(t);
  return Value::array(std::move(values));
}

}  // namespace

PressureUIView::PressureUIView(const Rect& frame) : ChartPageView(frame, {41, 42, 43, 44}, 40) {
  build("statistics_eg4",
        {{chartpage::yellow(), chartpage::red()},
         {"使用《Tessaly》的压力曲线(因人而异)", "采用第1,2,4,7,15天记忆方法的压力曲线"},
         40});
}

void PressureUIView::refreshData() {
  if (ensureChart()) loadSeries();
}

void PressureUIView::configureChart(DrawTable& chart) const {
  std::vector<std::string> labels;
  for (int d = 1; d <= 16; ++d) labels.push_back("第\n" + std::to_string(d) + "\n天");
  chart.setHscaleName(labels);
  chart.setBeginPos({2, 2});
  chart.setColors({chartpage::yellow(), chartpage::red()});
}

Value PressureUIView::series() {
  // Element 0 is drawn rightmost, on day 16.
  return Value::array({strings({"178", "175", "160", "160", "155", "155", "155", "150", "135",
                                "135", "115", "110", "105", "85", "70", "50"}),
                       strings({"300", "250", "250", "250", "250", "250", "250", "250", "250",
                                "200", "200", "200", "150", "150", "100", "50"})});
}

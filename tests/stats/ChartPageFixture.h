// Fixture of the chart-page tests: a real study store on a virtual clock, a phone-sized page, and
// helpers that read a chart's points back as columns and values.
#pragma once

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/Device.h"
#include "stats/ChartPageView.h"
#include "stats/DrawTable.h"
#include "tests/store/StudyFixture.h"

namespace chartpagetest {

class ChartPageTest : public storetest::StudyTest {
 protected:
  void SetUp() override {
    StudyTest::SetUp();
    useIdiom(plat::DeviceIdiom::Phone);
  }
  void TearDown() override {
    plat::Device::resetOverride();
    StudyTest::TearDown();
  }
  static void useIdiom(plat::DeviceIdiom idiom) {
    plat::DeviceInfo info = plat::Device::current();
    info.idiom = idiom;
    plat::Device::override(info);
  }
  // Words planned `daysAgo` study days back and answered, due `dueInDays` from now.
  std::vector<std::string> studied(const std::string& prefix, int count, int firstId,
                                   double daysAgo, double dueInDays) {
    std::vector<std::string> words = addWords(prefix, count, firstId);
    db_->sqlMgr().beginTransaction();
    for (const auto& w : words) {
      plan(w, daysFromNow(-daysAgo));
      setRecord(w, daysFromNow(-daysAgo), daysFromNow(dueInDays), 2);
    }
    db_->sqlMgr().commitTransaction();
    return words;
  }
  // The 1-based column of a point, and the value it stands for on the chart's scale.
  static int column(const DrawTable& chart, const P_Point& p) {
    return int(std::lround((p.x - chart.drawRect().x) / chart.HscaleSize()));
  }
  static double value(const DrawTable& chart, const P_Point& p) {
    const double bottom = chart.drawRect().y + chart.drawRect().height;
    return (bottom - p.y) / chart.VscaleSize() * double(chart.NumFromVScale());
  }
  // [column, value] of every point of one series, leftmost first.
  static std::vector<std::pair<int, long>> drawn(const DrawTable& chart, size_t series) {
    std::vector<std::pair<int, long>> out;
    for (const P_Point& p : chart.Points().at(series))
      out.emplace_back(column(chart, p), std::lround(value(chart, p)));
    return out;
  }

  const plat::Rect pageFrame_{0, 0, 320, 460};
};

}  // namespace chartpagetest

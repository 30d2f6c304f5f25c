// The learning chart's day labels in the real program's window under Xvfb, on a phone, an upright
// tablet and a turned one: opened on today and dragged to either end, the chart never shows a
// label cut at the edge of its scrolling part, and it shows whole ones.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/base/Files.h"
#include "store/CallDB.h"
#include "tests/app/ProgramProcess.h"
#include "tests/app/XvfbDesktop.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempHome.h"

namespace apptest {
namespace {

// The chart's column stripes, even and odd.
constexpr unsigned kEvenStripe = 0x293333, kOddStripe = 0x333333;

int channel(unsigned rgb, int shift) {
  return int((rgb >> shift) & 0xff);
}
bool near(unsigned a, unsigned b, int by = 6) {
  for (int shift : {0, 8, 16})
    if (std::abs(channel(a, shift) - channel(b, shift)) > by) return false;
  return true;
}
bool stripe(unsigned rgb) {
  return near(rgb, kEvenStripe) || near(rgb, kOddStripe);
}
// Text or today's box on the dark panel under the chart.
bool ink(unsigned rgb) {
  return channel(rgb, 0) > 90 || channel(rgb, 8) > 90 || channel(rgb, 16) > 90;
}

// Where the chart shows on a picture of the screen, in pixels: the part of its plot in view (the
// width of its scrolling part) and the band of day labels under it.
struct ChartInView {
  int left = 0, right = 0;       // the first and last pixel columns of the stripes
  int plotBottom = 0;            // the last pixel row of the stripes
  std::vector<int> stripeEdges;  // columns where one stripe gives way to the next
};

class ChartLabelsInWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(desktop_.display().empty()) << "Xvfb did not start";
    testsupport::clearProxyEnvironment();
    folder_ = testsupport::makeTempDir("vocab-chart-labels");
    ASSERT_TRUE(planWordsInHome(folder_ + "/home", {"achieve", "support"}, [](CallDB& store) {
      store.UpdatePersonalValue("run_machine", "1");
    }));
  }
  void TearDown() override {
    program_.reset();
    if (!folder_.empty()) plat::files::remove(folder_);
  }

  void start(plat::Size points, std::map<std::string, std::string> env = {}) {
    points_ = points;
    env.insert({{"DISPLAY", desktop_.display()},
                {"WAYLAND_DISPLAY", ""},
                // SDL's D-Bus library keeps data the leak checker cannot trace.
                {"ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1"}});
    program_ = std::make_unique<ProgramProcess>(folder_, "", env);
    ASSERT_TRUE(program_->started());
    window_ = desktop_.waitForWindow("vocab", XvfbDesktop::kPatience,
                                     [this] { return program_->wait(0) != -1; });
    ASSERT_FALSE(window_.empty()) << program_->log();
    frame_ = desktop_.geometry(window_);
    ASSERT_GT(frame_.width, 0);
  }

  double sx() const { return frame_.width / points_.width; }
  double sy() const { return frame_.height / points_.height; }
  int px(double x) const { return int(frame_.x + x * sx()); }
  int py(double y) const { return int(frame_.y + y * sy()); }

  void tap(double x, double y) const { desktop_.click(window_, int(x * sx()), int(y * sy())); }
  // A finger drawn sideways across the screen at height y and lifted.
  void dragAcross(double y, double fromX, double toX) const {
    auto to = [&](double x) {
      return " mousemove --window " + window_ + " " + std::to_string(int(x * sx())) + " " +
             std::to_string(int(y * sy()));
    };
    std::string command = "xdotool" + to(fromX) + " mousedown 1";
    for (int step = 1; step <= 10; ++step)
      command += to(fromX + (toX - fromX) * step / 10) + " sleep 0.05";
    desktop_.run(command + " sleep 0.3 mouseup 1");
  }

  // The first picture that passes `check`, within the desktop's generous deadline.
  std::optional<ScreenShot> shotWhen(const std::function<bool(const ScreenShot&)>& check,
                                     double seconds = XvfbDesktop::kPatience) const {
    return desktop_.shotWhen(check, seconds);
  }

  // The chart on the picture, found from the stripes on the row a third of the way down the
  // screen; nothing when no chart shows there.
  std::optional<ChartInView> chartOn(const ScreenShot& s) const {
    const int row = py(points_.height / 3);
    ChartInView chart;
    int x = px(0);
    while (x < px(points_.width) && !stripe(s.rgb(x, row))) ++x;
    if (x >= px(points_.width)) return std::nullopt;
    chart.left = x;
    // A pixel column shared by two stripes (the window is scaled) blends them: an edge is where
    // one pure stripe colour gives way to the other.
    unsigned last = s.rgb(x, row);
    while (x < px(points_.width) && (stripe(s.rgb(x, row)) || !ink(s.rgb(x, row)))) {
      const unsigned here = s.rgb(x, row);
      if (stripe(here)) chart.right = x;
      const bool pure = near(here, kEvenStripe, 2) || near(here, kOddStripe, 2);
      if (pure && !near(here, last, 2)) chart.stripeEdges.push_back(x);
      if (pure) last = here;
      ++x;
    }
    if (chart.right - chart.left < px(points_.width / 3) - px(0)) return std::nullopt;
    int y = row;
    const int middle = (chart.left + chart.right) / 2;
    while (y < py(points_.height) && (stripe(s.rgb(middle, y)) || !ink(s.rgb(middle, y)))) {
      if (stripe(s.rgb(middle, y))) chart.plotBottom = y;
      ++y;
    }
    return chart;
  }

  // Label ink in the band under the plot, from `fromX` to `toX` (pixels).
  int labelInk(const ScreenShot& s, const ChartInView& chart, int fromX, int toX) const {
    // From below the value scale's "0" beside the base line, down to the legend.
    const int top = chart.plotBottom + int(12 * sy()), bottom = chart.plotBottom + int(42 * sy());
    int count = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = fromX; x <= toX; ++x) count += ink(s.rgb(x, y));
    return count;
  }

  // The chart as it shows now: no label ink on the pixel columns just inside either edge of its
  // scrolling part (a label cut there would have some), and whole labels between.
  void expectLabelsWholeOrAbsent(const ScreenShot& s, const std::string& picture) {
    s.writePNG(picturePath(picture));
    std::optional<ChartInView> chart = chartOn(s);
    ASSERT_TRUE(chart) << picture;
    const int edge = std::max(1, int(sx()));
    EXPECT_EQ(labelInk(s, *chart, shown_.left, shown_.left + edge), 0)
        << "cut at the left, " << picture;
    EXPECT_EQ(labelInk(s, *chart, shown_.right - edge, shown_.right), 0)
        << "cut at the right, " << picture;
    EXPECT_GT(labelInk(s, *chart, shown_.left, shown_.right), 0) << "no labels, " << picture;
  }

  // Opens the learning chart: the statistics tab, its page list (`sheetTop`: where the list's
  // top edge comes to rest), then 学习/复习.
  std::optional<ScreenShot> openLearningChart(const std::string& device,
                                              const double (&statisticsTab)[2],
                                              const double (&listButton)[2], double sheetTop,
                                              const double (&learningRow)[2]) {
    // The tab's icon: grey once the tab bar is drawn, green once its tab is chosen.
    auto tabIcon = [&](const ScreenShot& s, const std::function<bool(unsigned)>& pick) {
      for (int y = py(statisticsTab[1] - 15); y < py(statisticsTab[1]); ++y)
        for (int x = px(statisticsTab[0] - 10); x < px(statisticsTab[0] + 10); ++x)
          if (pick(s.rgb(x, y))) return true;
      return false;
    };
    auto grey = [](unsigned c) {
      const int r = channel(c, 16), g = channel(c, 8), b = channel(c, 0);
      return r > 80 && r < 180 && std::abs(r - g) < 12 && std::abs(g - b) < 12;
    };
    auto green = [](unsigned c) { return channel(c, 8) > channel(c, 16) + 40; };
    if (!shotWhen([&](const ScreenShot& s) { return tabIcon(s, grey) && !tabIcon(s, green); }))
      return std::nullopt;
    tap(statisticsTab[0], statisticsTab[1]);
    std::optional<ScreenShot> summary =
        shotWhen([&](const ScreenShot& s) { return tabIcon(s, green); });
    if (!summary) return std::nullopt;
    summary->writePNG(picturePath("chart-labels-" + device + "-summary.png"));
    tap(listButton[0], listButton[1]);
    // The list of pages slides up over the dimmed summary: tapped once it has come to rest.
    const int x = px(learningRow[0]);
    std::optional<ScreenShot> list = shotWhen([&](const ScreenShot& s) {
      const unsigned above = s.rgb(x, py(sheetTop - 4)), top = s.rgb(x, py(sheetTop + 3));
      return near(top, 0xf7f7f7, 12) && !near(above, 0xf7f7f7, 40);
    });
    if (!list) {
      // What showed instead, to be looked at.
      if (auto last = desktop_.screenShot())
        last->writePNG(picturePath("chart-labels-" + device + "-no-list.png"));
      return std::nullopt;
    }
    list->writePNG(picturePath("chart-labels-" + device + "-list.png"));
    tap(learningRow[0], learningRow[1]);
    return shotWhen([&](const ScreenShot& s) {
      std::optional<ChartInView> chart = chartOn(s);
      return chart && labelInk(s, *chart, chart->left, chart->right) > 0;
    });
  }

  // Drags the chart to its left end (`towardsPast`) or its right end and returns the screen once
  // it rests there: the stripes fill the scrolling part, the first (or last) one a whole column
  // wide at its edge. The chart is never wider than three drags of half the screen: four reach
  // either end from anywhere, the chart coming back to its end from beyond it.
  std::optional<ScreenShot> dragToEnd(bool towardsPast, double y) {
    const double from = towardsPast ? points_.width * 0.25 : points_.width * 0.75;
    const double to = towardsPast ? points_.width * 0.75 : points_.width * 0.25;
    for (int drag = 0; drag < 4; ++drag) dragAcross(y, from, to);
    return shotWhen([&](const ScreenShot& s) {
      std::optional<ChartInView> chart = chartOn(s);
      if (!chart || chart->left != shown_.left || chart->right != shown_.right ||
          chart->stripeEdges.size() < 3)
        return false;
      const auto& e = chart->stripeEdges;
      const int column = e[2] - e[1];
      return towardsPast ? std::abs((e[0] - chart->left) - column) <= 2
                         : std::abs((chart->right + 1 - e.back()) - column) <= 2;
    });
  }

  static std::string picturePath(const std::string& name) {
    return plat::files::join(std::filesystem::read_symlink("/proc/self/exe").parent_path().string(),
                             name);
  }

  XvfbDesktop desktop_;
  std::string folder_;
  std::unique_ptr<ProgramProcess> program_;
  std::string window_;
  plat::Rect frame_;
  plat::Size points_;
  ChartInView shown_;  // the chart as it opened, filling its scrolling part
};

TEST_F(ChartLabelsInWindow, OnAPhoneTheDayLabelsAreWholeOrAbsentWhereverTheChartIsDragged) {
  ASSERT_NO_FATAL_FAILURE(start({320, 568}));
  const double statisticsTab[] = {200, 545}, listButton[] = {33, 42}, learningRow[] = {160, 353};
  std::optional<ScreenShot> chart =
      openLearningChart("phone", statisticsTab, listButton, 288, learningRow);
  ASSERT_TRUE(chart) << "the learning chart never showed\n" << program_->log();
  shown_ = *chartOn(*chart);
  expectLabelsWholeOrAbsent(*chart, "chart-labels-phone-today.png");
  for (const bool past : {true, false}) {
    std::optional<ScreenShot> end = dragToEnd(past, 250);
    ASSERT_TRUE(end) << "the chart never reached its end\n" << program_->log();
    expectLabelsWholeOrAbsent(
        *end, past ? "chart-labels-phone-past.png" : "chart-labels-phone-ahead.png");
  }
  EXPECT_EQ(program_->terminate(), 0) << program_->log();
}

TEST_F(ChartLabelsInWindow, OnATabletUprightAndTurnedTheDayLabelsAreWholeOrAbsent) {
  ASSERT_NO_FATAL_FAILURE(start({768, 1024}, {{"VOCAB_TABLET", "1"}}));
  const double statisticsTab[] = {480, 1000}, listButton[] = {33, 42}, learningRow[] = {384, 809};
  std::optional<ScreenShot> chart =
      openLearningChart("tablet", statisticsTab, listButton, 744, learningRow);
  ASSERT_TRUE(chart) << "the learning chart never showed\n" << program_->log();
  shown_ = *chartOn(*chart);
  expectLabelsWholeOrAbsent(*chart, "chart-labels-tablet-today.png");
  for (const bool past : {true, false}) {
    std::optional<ScreenShot> end = dragToEnd(past, 500);
    ASSERT_TRUE(end) << "the chart never reached its end\n" << program_->log();
    expectLabelsWholeOrAbsent(
        *end, past ? "chart-labels-tablet-past.png" : "chart-labels-tablet-ahead.png");
  }

  // Turned, the page is laid out anew and its chart opens on today again, wider.
  const int uprightWidth = shown_.right - shown_.left;
  desktop_.run("xdotool key --window " + window_ + " ctrl+r");
  std::optional<ScreenShot> turned = shotWhen([&](const ScreenShot& s) {
    const plat::Rect now = desktop_.geometry(window_);
    if (now.width <= now.height) return false;
    frame_ = now;
    points_ = {1024, 768};
    std::optional<ChartInView> wide = chartOn(s);
    return wide && wide->right - wide->left > uprightWidth &&
           labelInk(s, *wide, wide->left, wide->right) > 0;
  });
  ASSERT_TRUE(turned) << "the turned chart never showed\n" << program_->log();
  shown_ = *chartOn(*turned);
  expectLabelsWholeOrAbsent(*turned, "chart-labels-turned-today.png");
  for (const bool past : {true, false}) {
    std::optional<ScreenShot> end = dragToEnd(past, 380);
    ASSERT_TRUE(end) << "the turned chart never reached its end\n" << program_->log();
    expectLabelsWholeOrAbsent(
        *end, past ? "chart-labels-turned-past.png" : "chart-labels-turned-ahead.png");
  }
  EXPECT_EQ(program_->terminate(), 0) << program_->log();
}

}  // namespace
}  // namespace apptest

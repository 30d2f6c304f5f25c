// Fixtures of the statistics and settings tabs' tests on a real study store: a screen run by the
// headless host (ScreenTest), and a chart page with its points read back (ChartPageTest).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/Bundle.h"
#include "platform/base/Device.h"
#include "platform/base/RunLoop.h"
#include "platform/draw/Image.h"
#include "platform/host/HeadlessHost.h"
#include "platform/view/Animation.h"
#include "platform/view/Label.h"
#include "stats/ChartPageView.h"
#include "stats/DrawTable.h"
#include "tests/store/StudyFixture.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/NavApp.h"
#include "tests/support/Patience.h"
#include "ui/MyAlerView.h"

namespace shippedbundle {

// Links the build's shipped images, pages and texts into the store fixture's bundle (after SetUp).
inline void link() {
  namespace fs = std::filesystem;
  plat::Bundle::setMainPath("");
  const std::string shipped = plat::Bundle::main().path();
  const std::string fixture = storetest::fixtureBundle();
  for (const char* name : {"gui", "help", "InfoPlist.strings"}) {
    std::error_code ignored;
    if (!fs::exists(fs::path(fixture) / name, ignored))
      fs::create_symlink(fs::path(shipped) / name, fs::path(fixture) / name, ignored);
  }
  plat::Bundle::setMainPath(fixture);
  plat::Image::clearNamedCache();
}

// Where the tests' pictures go, to be looked at after the run.
inline std::string picturePath(const std::string& name) {
  const std::string folder = ::testing::TempDir() + "vocab-screens/";
  std::filesystem::create_directories(folder);
  return folder + name;
}

}  // namespace shippedbundle

namespace screentest {

// The run loop waits for real (loopback servers reply); animations are off: a push is instant.
template <typename Screen>
class ScreenTest : public storetest::StudyTest {
 protected:
  void SetUp() override {
    StudyTest::SetUp();
    shippedbundle::link();
    plat::RunLoop::setMainThread();
    testsupport::clearProxyEnvironment();
    plat::Animation::setEnabled(false);
  }
  void TearDown() override {
    host_.reset();
    app_.reset();
    plat::RunLoop::main().discardAllSources();
    plat::Animation::setEnabled(true);
    StudyTest::TearDown();
  }
  // Launches the window with a new screen (call after the data a test needs is in place).
  void open() {
    app_ = std::make_shared<testsupport::NavApp>([] { return std::make_shared<Screen>(); });
    host_ = std::make_unique<plat::HeadlessHost>(app_, plat::HeadlessHost::Options{false});
    ASSERT_TRUE(host_->launch());
    settle();
  }
  Screen& screen() { return static_cast<Screen&>(*app_->root); }
  plat::ViewController* top() { return app_->nav->topViewController(); }
  // Runs what is due now, then draws.
  void settle() {
    plat::RunLoop::main().runUntil([] { return false; }, 0.02);
    host_->runUntilIdle();
  }
  void waitFor(const std::function<bool()>& done) {
    ASSERT_TRUE(plat::RunLoop::main().runUntil(done, testsupport::kPatience));
    settle();
  }
  std::string shownMessage() {
    auto bubble = MyAlerView::sharedAler();
    auto* label =
        bubble ? dynamic_cast<plat::Label*>(bubble->viewWithTag(MyAlerView::kLabelTag)) : nullptr;
    return label ? label->text() : "";
  }
  void personal(const std::string& key, const std::string& value) {
    db_->UpdatePersonalValue(key, value);
  }
  std::string personal(const std::string& key) { return db_->getPersonalValue(key); }
  void writeScreen(const std::string& name) {
    ASSERT_TRUE(host_->writeScreen(shippedbundle::picturePath(name)));
  }

  std::shared_ptr<testsupport::NavApp> app_;
  std::unique_ptr<plat::HeadlessHost> host_;
};

}  // namespace screentest

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
  // [1-based column, value on the chart's scale] of every point of one series, leftmost first.
  static std::vector<std::pair<int, long>> drawn(const DrawTable& chart, size_t series) {
    std::vector<std::pair<int, long>> out;
    const plat::Rect plot = chart.drawRect();
    for (const P_Point& p : chart.Points().at(series))
      out.emplace_back(std::lround((p.x - plot.x) / chart.HscaleSize()),
                       std::lround((plot.y + plot.height - p.y) / chart.VscaleSize() *
                                   double(chart.NumFromVScale())));
    return out;
  }

  const plat::Rect pageFrame_{0, 0, 320, 460};
};

}  // namespace chartpagetest

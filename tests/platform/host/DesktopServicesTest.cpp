// What the hosts give the application of the desktop: addresses handed to the opener program as
// one argument each, failures reported; the network activity indicator over the top strip; the
// icon badge in the window title.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/base/RunLoop.h"
#include "platform/host/DesktopURLOpener.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/StatusStrip.h"
#include "platform/host/WindowTitle.h"
#include "platform/view/Window.h"
#include "tests/support/FakeUrlOpener.h"
#include "tests/support/Patience.h"

using namespace plat;

namespace {

struct Failure {
  std::string url;
  URLOpenFailure why;
};

class DesktopOpening : public ::testing::Test {
 protected:
  void SetUp() override {
    RunLoop::setMainThread();
    Application::shared().reset();
    Application::shared().setURLOpener(std::make_shared<DesktopURLOpener>());
    Application::shared().setURLOpenFailureHandler(
        [this](const std::string& url, URLOpenFailure why) {
          failures_.push_back({url, why});
        });
  }
  void TearDown() override { Application::shared().reset(); }

  // Runs the main loop until the fake saw `count` calls and their ends were watched.
  bool waitForCalls(const testsupport::FakeUrlOpener& fake, size_t count) {
    return RunLoop::main().runUntil([&] { return fake.calls().size() >= count; },
                                    testsupport::kPatience);
  }

  std::vector<Failure> failures_;
};

TEST(DesktopAddress, WebAndMailAddressesOpenAndABareWwwAddressBecomesAWebOne) {
  EXPECT_EQ(DesktopURLOpener::desktopAddress("https://a.example/x?y=1"), "https://a.example/x?y=1");
  EXPECT_EQ(DesktopURLOpener::desktopAddress("HTTP://A.example"), "HTTP://A.example");
  EXPECT_EQ(DesktopURLOpener::desktopAddress("mailto:someone@a.example"),
            "mailto:someone@a.example");
  EXPECT_EQ(DesktopURLOpener::desktopAddress("www.vocab.example.org"),
            "http://www.vocab.example.org");
  // The store's update page, files, bare schemes and names are nothing the desktop opens.
  for (const char* refused : {"itms-apps://itunes.apple.com/x?id=1&mt=8", "file:///etc/passwd",
                              "http://", "www.", "", "fu_xi_liang.html", "-h", "tel:123"}) {
    EXPECT_EQ(DesktopURLOpener::desktopAddress(refused), "") << refused;
  }
}

TEST_F(DesktopOpening, EachAddressReachesTheOpenerAsOneArgument) {
  testsupport::FakeUrlOpener fake;
  Application& app = Application::shared();
  const std::string awkward = "http://127.0.0.1:9/a b?q='x\"y'&z=$(id)`id`;";
  EXPECT_TRUE(app.canOpenURL(awkward));
  EXPECT_TRUE(app.openURL(awkward));
  EXPECT_TRUE(app.openURL("www.vocab.example.org"));
  ASSERT_TRUE(waitForCalls(fake, 2));
  // Two opener processes started together may write their lines in either order.
  auto calls = fake.calls();
  std::sort(calls.begin(), calls.end());
  EXPECT_EQ(calls,
            (std::vector<std::vector<std::string>>{{awkward}, {"http://www.vocab.example.org"}}));
  // Their ends are watched: nothing is left to reap.
  EXPECT_TRUE(RunLoop::main().runUntil([] { return waitpid(-1, nullptr, WNOHANG) == -1; },
                                       testsupport::kPatience));
  EXPECT_TRUE(failures_.empty());
}

TEST_F(DesktopOpening, WhatCannotOpenIsReportedNotPretended) {
  Application& app = Application::shared();
  const std::string store = "itms-apps://itunes.apple.com/WebObjects/x?id=1&mt=8";
  {
    testsupport::FakeUrlOpener fake;
    EXPECT_FALSE(app.canOpenURL(store));
    EXPECT_FALSE(app.openURL(store));
    EXPECT_FALSE(app.openURL(""));
    RunLoop::main().runUntil([] { return false; }, 0.3);
    EXPECT_TRUE(fake.calls().empty()) << "refused addresses never reach the opener";
  }
  {
    testsupport::FakeUrlOpener failing(4);
    EXPECT_TRUE(app.openURL("mailto:someone@a.example"));
    ASSERT_TRUE(
        RunLoop::main().runUntil([&] { return failures_.size() == 3; }, testsupport::kPatience));
  }
  ASSERT_EQ(failures_.size(), 3u);
  EXPECT_EQ(failures_[0].url, store);
  EXPECT_EQ(failures_[0].why, URLOpenFailure::UnsupportedAddress);
  EXPECT_EQ(failures_[1].why, URLOpenFailure::UnsupportedAddress);
  EXPECT_EQ(failures_[2].url, "mailto:someone@a.example");
  EXPECT_EQ(failures_[2].why, URLOpenFailure::ProgramFailed);

  // No opener program on the desktop at all.
  Application::shared().setURLOpener(
      std::make_shared<DesktopURLOpener>("vocab-no-such-opener-program"));
  EXPECT_FALSE(app.openURL("https://127.0.0.1:9/"));
  ASSERT_EQ(failures_.size(), 4u);
  EXPECT_EQ(failures_[3].why, URLOpenFailure::NoProgram);
  EXPECT_EQ(app.openedURLs().size(), 4u) << "every request is on record";
}

TEST(StatusStripTest, TheIndicatorShowsOnlyWhileTheApplicationSaysSo) {
  auto delegate = std::make_shared<ApplicationDelegate>();
  HeadlessHost host(delegate);
  host.launch();
  auto window = std::make_shared<Window>();
  window->setBackgroundColor(Color::white());
  window->makeKeyAndVisible();
  Application& app = Application::shared();
  const Rect spot = StatusStrip::indicatorFrame();
  // The darkest and the lightest red of the indicator's square.
  auto extremes = [&](const Image& screen) {
    std::pair<double, double> range{1, 0};
    for (double x = spot.x; x < spot.maxX(); x += 0.5) {
      for (double y = spot.y; y < spot.maxY(); y += 0.5) {
        const double red = screen.colorAtPoint({x, y}).r;
        range = {std::min(range.first, red), std::max(range.second, red)};
      }
    }
    return range;
  };
  auto darkest = [&](const Image& screen) { return extremes(screen).first; };
  EXPECT_GT(darkest(*host.renderScreen()), 0.95);

  app.setNetworkActivityIndicatorVisible(true);
  std::shared_ptr<Image> busy = host.renderScreen();
  busy->writePNG("status_strip_indicator.png");
  EXPECT_LT(darkest(*busy), 0.4);
  // It turns: a twelfth of a second later another spoke leads.
  host.advance(1.0 / 12);
  EXPECT_FALSE(host.renderScreen()->pngData() == busy->pngData());
  // The black strip gets light spokes.
  app.setStatusBarStyle(StatusBarStyle::BlackOpaque);
  std::shared_ptr<Image> night = host.renderScreen();
  EXPECT_GT(extremes(*night).second, 0.8);
  EXPECT_LT(night->colorAtPoint({spot.maxX() + 4, 10}).r, 0.05);

  app.setNetworkActivityIndicatorVisible(false);
  app.setStatusBarStyle(StatusBarStyle::Default);
  EXPECT_GT(darkest(*host.renderScreen()), 0.95);
}

TEST(WindowTitleTest, TheBadgeFollowsTheNameOnlyWhileThereIsOne) {
  EXPECT_EQ(WindowTitle::text("背单词", 12), "背单词 (12)");
  EXPECT_EQ(WindowTitle::text("背单词", 0), "背单词");
}

}  // namespace

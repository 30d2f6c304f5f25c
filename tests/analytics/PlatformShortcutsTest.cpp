#include <gtest/gtest.h>

#include "analytics/ANUtil.h"
#include "analytics/ANUtils.h"
#include "analytics/AnalyticsJob.h"
#include "analytics/AnalyticsOnlineConfig.h"
#include "analytics/AnalyticsUtility.h"
#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "platform/draw/ImageContext.h"
#include "platform/view/Application.h"
#include "platform/view/Label.h"
#include "tests/analytics/AnalyticsFixture.h"

namespace {

using AnalyticsPlatformShortcuts = AnalyticsFixture;

std::shared_ptr<plat::Image> filled(plat::Size size, plat::Color color) {
  plat::ImageContext canvas(size, color, 1);
  return canvas.takeImage();
}

TEST_F(AnalyticsPlatformShortcuts, ViewTreesPrintOneIndentedLinePerView) {
  plat::View root;
  auto panel = std::make_shared<plat::View>(plat::Rect(0, 0, 320, 40));
  auto title = std::make_shared<plat::Label>(plat::Rect(10, 5, 100, 20));
  title->setText("今日复习");
  panel->addSubview(title);
  root.addSubview(panel);
  EXPECT_EQ(ANUtils::viewHierarchyText(root, 1),
            "|<plat::View: frame = (0 0; 320 40)>\n"
            "|-|<plat::Label: frame = (10 5; 100 20); text = '今日复习'>\n"
            "\n"
            "\n");
  EXPECT_EQ(ANUtils::viewsText({title}, 0),
            "<plat::Label: frame = (10 5; 100 20); text = '今日复习'>\n\n");
}

TEST_F(AnalyticsPlatformShortcuts, ImagesBundlesAndAddresses) {
  // The top picture covers the bottom one where it reaches; the size is the bottom one's.
  auto picture = ANUtils::addImage(*filled({2, 1}, plat::Color::rgb(1, 0, 0)),
                                   *filled({4, 2}, plat::Color::rgb(0, 0, 1)));
  EXPECT_EQ(picture->size().width, 4);
  EXPECT_EQ(picture->size().height, 2);
  EXPECT_EQ(picture->colorAtPoint({0.5, 0.5}), plat::Color::rgb(1, 0, 0));
  EXPECT_EQ(picture->colorAtPoint({3.5, 1.5}), plat::Color::rgb(0, 0, 1));

  std::string bundle = home_.path() + "/bundle";
  plat::files::createDirectories(bundle + "/voices.bundle");
  plat::files::writeFileAtomically(bundle + "/voices.bundle/tone.mp3", "ID3");
  plat::Bundle::setMainPath(bundle);
  EXPECT_EQ(ANUtils::getBundleRes("tone.mp3", "voices"), bundle + "/voices.bundle/tone.mp3");
  EXPECT_FALSE(ANUtils::getBundleRes("tone.mp3", "images"));
  EXPECT_FALSE(ANUtils::getBundleRes("missing.mp3", "voices"));
  EXPECT_FALSE(ANUtils::getBundleRes("", "voices"));
  plat::Bundle::setMainPath("");

  // Addresses go to the application's opener, whichever the host installed.
  struct Handed : plat::URLOpener {
    bool canOpen(const std::string& url) const override { return url.find("://") != url.npos; }
    bool open(const std::string& url) override {
      urls.push_back(url);
      return true;
    }
    std::vector<std::string> urls;
  };
  auto opener = std::make_shared<Handed>();
  plat::Application& app = plat::Application::shared();
  app.setURLOpener(opener);
  EXPECT_TRUE(ANUtils::canOpenUrl("https://127.0.0.1/help"));
  EXPECT_FALSE(ANUtils::canOpenUrl("nowhere"));
  EXPECT_TRUE(ANUtils::makingACall("10086"));
  EXPECT_TRUE(ANUtils::openUrl("https://127.0.0.1/help"));
  EXPECT_EQ(opener->urls, (std::vector<std::string>{"tel://10086", "https://127.0.0.1/help"}));
  app.setURLOpener(nullptr);
}

TEST_F(AnalyticsPlatformShortcuts, DescriptionsAndUnusedNames) {
  start();
  AnalyticsJob& job = AnalyticsJob::sharedInstance();
  job.setDefcon(2);
  job.setLatency(30);
  EXPECT_EQ(job.description(), "<AnalyticsJob: self.defcon=2, self.latency=30, self.jobRunning=0>");
  std::string caches = AnalyticsUtility::cacheDirectory();
  std::string package = ANUtil::appPackageNameString();
  EXPECT_EQ(AnalyticsUtility::bgCacheFilePath(),
            caches + "/." + package + "_analyticsbgCache.plist");
  EXPECT_EQ(AnalyticsUtility::envelopeFilePath(),
            caches + "/." + package + "_analytics_envelope.log");
  EXPECT_EQ(AnalyticsOnlineConfig::sharedInstance().adURL(), "");
  EXPECT_EQ(AnalyticsOnlineConfig::sharedInstance().fetchAdURLFromServer(), "");
}

}  // namespace

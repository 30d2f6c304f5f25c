#include <gtest/gtest.h>

#include "platform/base/Files.h"
#include "platform/view/WebView.h"
#include "tests/platform/view/ViewFixture.h"
#include "tests/support/TempHome.h"

using namespace plat;

namespace {

class PageLog : public WebViewDelegate {
 public:
  std::vector<std::string> events;
  std::vector<std::string> asked;
  bool refuseLinks = false;
  bool shouldStartLoad(WebView&, const std::string& url, WebNavigationType type) override {
    asked.push_back(url);
    return !(refuseLinks && type == WebNavigationType::LinkClicked);
  }
  void didStartLoad(WebView&) override { events.push_back("start"); }
  void didFinishLoad(WebView&) override { events.push_back("finish"); }
  void didFailLoad(WebView&, const std::string&) override { events.push_back("fail"); }
};

class WebViews : public testsupport::ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    dir_ = testsupport::makeTempDir("vocab-web");
    web_ = std::make_shared<WebView>(Rect(0, 20, 320, 400));
    web_->setDelegate(&log_);
    window_->addSubview(web_);
  }
  void TearDown() override {
    files::remove(dir_);
    ViewFixture::TearDown();
  }
  void write(const std::string& name, const std::string& text) {
    ASSERT_TRUE(files::writeFileAtomically(dir_ + "/" + name, text));
  }
  std::string base() const { return "file://" + dir_ + "/"; }

  std::string dir_;
  PageLog log_;
  std::shared_ptr<WebView> web_;
};

}  // namespace

TEST_F(WebViews, AStringLoadsOnTheRunLoopMeasuresItsContentAndStopsTheLoadBefore) {
  web_->loadHTMLString("<p>第一段 first paragraph</p>", "");
  EXPECT_TRUE(log_.events.empty()) << "loads finish later";
  EXPECT_TRUE(web_->isLoading());
  runUntilIdle();
  EXPECT_EQ(log_.events, (std::vector<std::string>{"start", "finish"}));
  EXPECT_EQ(web_->currentURL(), "about:blank");
  double oneParagraph = web_->sizeThatFits({0, 0}).height;
  EXPECT_GT(oneParagraph, 10);

  std::string many;
  for (int i = 0; i < 30; ++i) many += "<p>paragraph " + std::to_string(i) + "</p>";
  web_->loadHTMLString(many, "");
  runUntilIdle();
  EXPECT_GT(web_->sizeThatFits({0, 0}).height, oneParagraph * 10);
  EXPECT_EQ(web_->stringByEvaluatingJavaScript("document.body.scrollHeight"),
            std::to_string(long(web_->sizeThatFits({0, 0}).height)));

  // A new load stops the one under way.
  log_.events.clear();
  web_->loadHTMLString("<p>old</p>", "");
  web_->stopLoading();
  web_->loadHTMLString("<p>new</p>", "");
  runUntilIdle();
  EXPECT_EQ(log_.events, (std::vector<std::string>{"start", "finish"}));
  EXPECT_EQ(web_->displayedText(), "new");
}

TEST_F(WebViews, ScriptsReadLinksTitlesAndTheAddress) {
  web_->loadHTMLString(
      "<head><title>Help</title></head><a href='a.html'>A</a><a>no address</a>"
      "<a href='http://example.com/b'>B</a><span id='0'>复习 <b>量</b></span><span "
      "id='1'>&lt;提醒&gt;</span>",
      base());
  runUntilIdle();
  EXPECT_EQ(web_->stringByEvaluatingJavaScript("document.links.length"), "2");
  EXPECT_EQ(web_->stringByEvaluatingJavaScript("document.links[0].toString()"), base() + "a.html");
  EXPECT_EQ(web_->stringByEvaluatingJavaScript("document.links[1].href"), "http://example.com/b");
  EXPECT_EQ(web_->stringByEvaluatingJavaScript("document.getElementById(\"0\").innerHTML"),
            "复习 <b>量</b>");
  EXPECT_EQ(web_->stringByEvaluatingJavaScript("document.getElementById('1').innerHTML"),
            "&lt;提醒&gt;");
  EXPECT_EQ(web_->stringByEvaluatingJavaScript("document.title"), "Help");
  EXPECT_EQ(web_->stringByEvaluatingJavaScript("document.URL"), base());
  EXPECT_EQ(web_->stringByEvaluatingJavaScript("document.body.style.webkitTouchCallout='none';"),
            "");
  EXPECT_EQ(web_->stringByEvaluatingJavaScript("document.links[7].toString()"), "");
  EXPECT_EQ(web_->stringByEvaluatingJavaScript("document.getElementById('7').innerHTML"), "");
  EXPECT_EQ(web_->stringByEvaluatingJavaScript("alert(1)"), "");
}

TEST_F(WebViews, ALinkAsksTheDelegateAndIsFollowedAndAnAddressThatFailsLeavesThePage) {
  write("next.html", "<p>the next page</p>");
  web_->loadHTMLString(
      "<body style='margin:0'><a href='next.html' "
      "style='display:block;height:60px'>next</a></body>",
      base());
  runUntilIdle();
  log_.refuseLinks = true;
  tap({30, 50});
  runUntilIdle();
  EXPECT_EQ(log_.asked.back(), base() + "next.html");
  EXPECT_FALSE(web_->canGoBack());

  log_.refuseLinks = false;
  tap({30, 50});
  runUntilIdle();
  EXPECT_EQ(web_->currentURL(), base() + "next.html");
  EXPECT_EQ(web_->displayedText(), "the next page");
  EXPECT_TRUE(web_->canGoBack());

  web_->loadHTMLString("<p>kept</p>", "");
  runUntilIdle();
  log_.events.clear();
  web_->loadRequest("http://127.0.0.1:9/ranking");
  runUntilIdle();
  EXPECT_EQ(log_.events, (std::vector<std::string>{"start", "fail"}));
  EXPECT_EQ(web_->displayedText(), "kept");
}

// The page loader answers later, as a network fetch does: the view waits without blocking, a
// stopped or superseded fetch is cancelled and its late page dropped, and a page that moved
// resolves its links against where it came from.
TEST_F(WebViews, WebPagesArriveLaterCancelWhenStoppedAndNeverReachAViewThatIsGone) {
  struct Fetch {
    std::string url;
    WebView::PageDone done;
    bool cancelled = false;
  };
  std::vector<std::shared_ptr<Fetch>> fetches;
  WebView::setPageLoader([&](const std::string& url, WebView::PageDone done) {
    auto fetch = std::make_shared<Fetch>(Fetch{url, std::move(done)});
    fetches.push_back(fetch);
    return std::function<void()>([fetch] { fetch->cancelled = true; });
  });

  web_->loadRequest("http://127.0.0.1:9/top");
  runUntilIdle();
  ASSERT_EQ(fetches.size(), 1u);
  EXPECT_TRUE(web_->isLoading());
  EXPECT_EQ(log_.events, (std::vector<std::string>{"start"}));
  fetches[0]->done(WebView::LoadedPage{
      "<body style='margin:0'><a href='next' style='display:block;height:60px'>next</a></body>",
      "http://127.0.0.1:9/moved/top"});
  EXPECT_FALSE(web_->isLoading());
  EXPECT_EQ(web_->currentURL(), "http://127.0.0.1:9/moved/top");
  tap({30, 50});
  runUntilIdle();
  ASSERT_EQ(fetches.size(), 2u);
  EXPECT_EQ(fetches[1]->url, "http://127.0.0.1:9/moved/next");

  // Another load supersedes the fetch under way: it is cancelled, its page dropped.
  web_->loadHTMLString("<p>instead</p>", "");
  runUntilIdle();
  EXPECT_TRUE(fetches[1]->cancelled);
  fetches[1]->done(WebView::LoadedPage{"<p>late</p>", ""});
  EXPECT_EQ(web_->displayedText(), "instead");

  // A failed fetch fails the page and keeps what was shown.
  log_.events.clear();
  web_->loadRequest("http://127.0.0.1:9/broken");
  runUntilIdle();
  fetches[2]->done(std::nullopt);
  EXPECT_EQ(log_.events, (std::vector<std::string>{"start", "fail"}));
  EXPECT_EQ(web_->displayedText(), "instead");

  // The view goes while its page is on the way.
  web_->loadRequest("http://127.0.0.1:9/slow");
  runUntilIdle();
  web_->removeFromSuperview();
  web_.reset();
  EXPECT_TRUE(fetches[3]->cancelled);
  fetches[3]->done(WebView::LoadedPage{"<p>nobody</p>", ""});
  WebView::setPageLoader(nullptr);
}

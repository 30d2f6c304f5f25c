// A web view: an HTML string or an address laid out by the HTML engine and drawn in a scroll
// view. Loads finish on the run loop, after the delegate agreed to them; a tapped link asks the
// delegate before it is followed; back and forward walk the pages loaded. File addresses are
// read here; other addresses go to the page loader the application installs, which fetches them
// without holding up the main thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/draw/HtmlDocument.h"
#include "platform/view/ScrollView.h"

namespace plat {

class WebView;

enum class WebNavigationType {
  LinkClicked,
  FormSubmitted,
  BackForward,
  Reload,
  FormResubmitted,
  Other
};

class WebViewDelegate {
 public:
  virtual ~WebViewDelegate() = default;
  virtual bool shouldStartLoad(WebView&, const std::string& /*url*/, WebNavigationType) {
    return true;
  }
  virtual void didStartLoad(WebView&) {}
  virtual void didFinishLoad(WebView&) {}
  virtual void didFailLoad(WebView&, const std::string& /*error*/) {}
};

class WebView : public View {
 public:
  // A fetched page: its text, and the address it came from in the end (after redirects; "" for
  // the one asked for).
  struct LoadedPage {
    std::string html;
    std::string url;
  };
  // Called once on the main run loop with the page, or with nothing when the fetch failed.
  using PageDone = std::function<void(std::optional<LoadedPage>)>;
  // Starts fetching `url` and returns a function that cancels the fetch, after which `done` is
  // not called.
  using PageLoader = std::function<std::function<void()>(const std::string& url, PageDone done)>;

  explicit WebView(const Rect& frame = {});
  ~WebView() override;

  WebViewDelegate* delegate() const { return delegate_; }
  void setDelegate(WebViewDelegate* delegate) { delegate_ = delegate; }

  void loadHTMLString(const std::string& html, const std::string& baseURL);
  void loadRequest(const std::string& url);
  void stopLoading();
  void reload();
  bool canGoBack() const { return index_ > 0; }
  bool canGoForward() const { return index_ + 1 < int(history_.size()); }
  void goBack();
  void goForward();
  bool isLoading() const { return pending_ != 0; }

  // The page's answer to one of the scripts the screens use ("" for others).
  std::string stringByEvaluatingJavaScript(const std::string& script);

  ScrollView& scrollView() { return *scroll_; }
  // The address of the page shown ("about:blank" for a string without a base).
  const std::string& currentURL() const { return url_; }
  const HtmlDocument* document() const { return document_.get(); }
  bool scalesPageToFit() const { return scalesPageToFit_; }
  void setScalesPageToFit(bool scales) { scalesPageToFit_ = scales; }
  unsigned dataDetectorTypes() const { return dataDetectors_; }
  void setDataDetectorTypes(unsigned types) { dataDetectors_ = types; }

  // Fetches pages of addresses other than file ones; none installed: such loads fail.
  static void setPageLoader(PageLoader loader);
  static bool hasPageLoader();

  // A finger lifted at `p` on the page (page coordinates): follows the link there.
  void tapPage(Point p);

  Size sizeThatFits(Size size) const override;
  void layoutSubviews() override;
  std::string displayedText() const override;

 private:
  struct Entry {
    std::string html;  // the page text, for pages loaded from a string
    std::string baseURL;
    std::string url;
    bool fromString = false;
  };
  void start(Entry entry, WebNavigationType type, bool askDelegate, int historyIndex);
  void fetch(int generation, Entry entry, int historyIndex);
  void finish(Entry entry, std::optional<std::string> html, int historyIndex);
  void layoutPage();

  WebViewDelegate* delegate_ = nullptr;
  std::shared_ptr<ScrollView> scroll_;
  std::shared_ptr<View> content_;
  std::unique_ptr<HtmlDocument> document_;
  std::string url_;
  std::vector<Entry> history_;
  int index_ = -1;
  int generation_ = 0;
  int pending_ = 0;  // generation of the load under way, 0 when none
  std::function<void()> cancelFetch_;  // of the page loader's fetch under way
  // Gone with the view: a fetch that ends later finds no view to finish.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
  double laidOutWidth_ = -1;
  bool scalesPageToFit_ = false;
  unsigned dataDetectors_ = 0;
};

}  // namespace plat

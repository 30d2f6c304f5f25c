#include "platform/view/WebView.h"

#include <utility>

#include "platform/base/RunLoop.h"
#include "platform/view/WebScript.h"

namespace plat {
namespace {

const std::string kLoadKey = "load";

WebView::PageLoader& pageLoader() {
  static WebView::PageLoader loader;
  return loader;
}

bool isLocal(const std::string& url) {
  return url == "about:blank" || url.rfind("file:", 0) == 0;
}

std::optional<std::string> readLocal(const std::string& url) {
  if (url == "about:blank") return std::string();
  return readLocalURL(url);
}

// The page itself inside the web view's scroll view: draws the laid-out page and passes taps on.
class PageView : public View {
 public:
  explicit PageView(WebView* web) : web_(web) {}
  void drawRect(DrawContext& context, const Rect& rect) override {
    // Only what the context can show is painted: a page scrolled in its frame shows a slice, and
    // the display pass draws into a scratch point.
    const Rect shown = rect.intersection(context.clipBounds());
    if (shown.width <= 0 || shown.height <= 0) return;
    if (const HtmlDocument* page = web_->document()) {
      const_cast<HtmlDocument*>(page)->draw(context, {0, 0}, shown);
    }
  }
  void touchesBegan(const TouchSet&) override {}
  void touchesMoved(const TouchSet&) override {}
  void touchesCancelled(const TouchSet&) override {}
  void touchesEnded(const TouchSet& touches) override {
    if (!touches.empty()) web_->tapPage(touches.front()->locationIn(this));
  }

 private:
  WebView* web_;
};

}  // namespace

WebView::WebView(const Rect& frame) : View(frame), url_("about:blank") {
  setBackgroundColor(Color::white());
  scroll_ = std::make_shared<ScrollView>(bounds());
  scroll_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  content_ = std::make_shared<PageView>(this);
  scroll_->addSubview(content_);
  addSubview(scroll_);
}

WebView::~WebView() {
  RunLoop::current().cancelPerforms(this);
  if (cancelFetch_) cancelFetch_();
}

void WebView::setPageLoader(PageLoader loader) {
  pageLoader() = std::move(loader);
}

bool WebView::hasPageLoader() {
  return static_cast<bool>(pageLoader());
}

void WebView::loadHTMLString(const std::string& html, const std::string& baseURL) {
  start({html, baseURL, baseURL.empty() ? "about:blank" : baseURL, true}, WebNavigationType::Other,
        true, index_ + 1);
}

void WebView::loadRequest(const std::string& url) {
  start({"", "", url, false}, WebNavigationType::Other, true, index_ + 1);
}

void WebView::stopLoading() {
  if (!pending_) return;
  ++generation_;
  pending_ = 0;
  RunLoop::current().cancelPerforms(this, kLoadKey);
  if (std::function<void()> cancel = std::exchange(cancelFetch_, nullptr)) cancel();
}

void WebView::reload() {
  if (index_ >= 0) start(history_[size_t(index_)], WebNavigationType::Reload, true, index_);
}

void WebView::goBack() {
  if (canGoBack()) {
    start(history_[size_t(index_ - 1)], WebNavigationType::BackForward, true, index_ - 1);
  }
}

void WebView::goForward() {
  if (canGoForward()) {
    start(history_[size_t(index_ + 1)], WebNavigationType::BackForward, true, index_ + 1);
  }
}

void WebView::start(Entry entry, WebNavigationType type, bool askDelegate, int historyIndex) {
  stopLoading();
  int generation = ++generation_;
  pending_ = generation;
  RunLoop::current().performAfter(0, this, kLoadKey, [=, this] {
    if (generation != generation_) return;
    if (askDelegate && delegate_ && !delegate_->shouldStartLoad(*this, entry.url, type)) {
      pending_ = 0;
      return;
    }
    if (delegate_) delegate_->didStartLoad(*this);
    if (generation != generation_) return;  // the delegate started another load
    if (entry.fromString) {
      finish(entry, entry.html, historyIndex);
    } else if (isLocal(entry.url)) {
      finish(entry, readLocal(entry.url), historyIndex);
    } else {
      fetch(generation, entry, historyIndex);
    }
  });
}

void WebView::fetch(int generation, Entry entry, int historyIndex) {
  if (!pageLoader()) {
    finish(entry, std::nullopt, historyIndex);
    return;
  }
  std::weak_ptr<int> alive = alive_;
  const std::string url = entry.url;
  std::function<void()> cancel = pageLoader()(url, [this, alive, generation, entry, historyIndex](
                                       std::optional<LoadedPage> page) mutable {
    // The view may be gone, or on to another page, by the time the page arrives.
    if (alive.expired() || generation != generation_) return;
    cancelFetch_ = nullptr;
    if (!page) {
      finish(entry, std::nullopt, historyIndex);
      return;
    }
    if (!page->url.empty()) entry.url = page->url;
    finish(entry, std::move(page->html), historyIndex);
  });
  // A loader that answered at once has nothing left to cancel.
  if (pending_ == generation) cancelFetch_ = std::move(cancel);
}

void WebView::finish(Entry entry, std::optional<std::string> html, int historyIndex) {
  pending_ = 0;
  if (!html) {  // the page shown stays
    if (delegate_) delegate_->didFailLoad(*this, "The page " + entry.url + " could not be loaded");
    return;
  }
  document_ = std::make_unique<HtmlDocument>(*html, entry.fromString ? entry.baseURL : entry.url);
  url_ = entry.url;
  if (historyIndex > index_ && historyIndex == index_ + 1) {
    history_.resize(size_t(index_ + 1));
    history_.push_back(std::move(entry));
    index_ = int(history_.size()) - 1;
  } else {
    index_ = historyIndex;
  }
  laidOutWidth_ = -1;
  layoutPage();
  scroll_->setContentOffset({0, 0});
  if (delegate_) delegate_->didFinishLoad(*this);
}

void WebView::layoutPage() {
  double width = bounds().width;
  double height = 0;
  if (document_) {
    if (width != laidOutWidth_) {
      document_->layout(width, bounds().height);
      laidOutWidth_ = width;
    }
    height = document_->contentHeight();
  }
  content_->setFrame({0, 0, width, height});
  scroll_->setContentSize({width, height});
}

void WebView::layoutSubviews() {
  layoutPage();
}

Size WebView::sizeThatFits(Size) const {
  const_cast<WebView*>(this)->layoutPage();
  return {bounds().width, document_ ? document_->contentHeight() : 0};
}

std::string WebView::stringByEvaluatingJavaScript(const std::string& script) {
  layoutPage();
  return evaluatePageScript(script, document_.get(), url_);
}

void WebView::tapPage(Point p) {
  if (!document_) return;
  std::string url = document_->linkAt(p);
  if (url.empty() || url.rfind(url_ + "#", 0) == 0) return;
  if (delegate_ && !delegate_->shouldStartLoad(*this, url, WebNavigationType::LinkClicked)) return;
  start({"", "", url, false}, WebNavigationType::LinkClicked, false, index_ + 1);
}

std::string WebView::displayedText() const {
  return document_ ? document_->plainText() : "";
}

}  // namespace plat

#include "app/WebPageLoader.h"

#include <memory>
#include <utility>

#include "net/HttpRequest.h"

namespace WebPageLoader {

std::function<void()> load(const std::string& url, plat::WebView::PageDone done) {
  std::shared_ptr<HttpRequest> request = HttpRequest::requestWithURL(url);
  // The blocks hold the request weakly: it keeps its own blocks, and its queue keeps it.
  std::weak_ptr<HttpRequest> weak = request;
  request->setCompletionBlock([weak, done] {
    std::shared_ptr<HttpRequest> finished = weak.lock();
    if (!finished) return;
    const int status = finished->responseStatusCode();
    std::optional<std::string> text = finished->responseString();
    if (status < 200 || status > 299 || !text) {
      done(std::nullopt);
      return;
    }
    done(plat::WebView::LoadedPage{std::move(*text), finished->url().absoluteString()});
  });
  request->setFailedBlock([done] { done(std::nullopt); });
  request->startAsynchronous();
  return [weak] {
    if (std::shared_ptr<HttpRequest> running = weak.lock()) running->clearDelegatesAndCancel();
  };
}

}  // namespace WebPageLoader

// Fetches the web pages of web views (the ranking page and the pages it links to) on the
// application's HTTP client: the request runs on the network thread and the page arrives on the
// main run loop, so a slow server never holds up the screens. A reply outside 200-299, a failed
// request or a body that is no text fails the page, which leaves the web view as it was.
#pragma once

#include <functional>
#include <string>

#include "platform/view/WebView.h"

namespace WebPageLoader {

// Starts the fetch; the returned function cancels it (`done` is then not called).
std::function<void()> load(const std::string& url, plat::WebView::PageDone done);

}  // namespace WebPageLoader

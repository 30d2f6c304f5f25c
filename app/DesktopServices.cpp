#include "app/DesktopServices.h"

#include <memory>

#include "app/WebPageLoader.h"
#include "net/HttpRequest.h"
#include "platform/base/Bundle.h"
#include "platform/host/DesktopURLOpener.h"
#include "platform/http/Url.h"
#include "platform/view/WebView.h"
#include "ui/MyAlerView.h"

namespace DesktopServices {
namespace {

// The address as a message shows it: without its login, query or fragment, which can carry an
// account's secrets (the web-site link signs in with the stored password's digest).
std::string shownAddress(const std::string& url) {
  const auto parsed = plat::http::Url::parse(url);
  if (!parsed || !parsed->hasAuthority()) return url.substr(0, url.find_first_of("?#"));
  return parsed->scheme() + "://" + parsed->hostHeader() + parsed->path();
}

std::string withAddress(const std::string& key, const std::string& url) {
  std::string text = plat::localized(key);
  const size_t at = text.find("%@");
  if (at != std::string::npos) text.replace(at, 2, shownAddress(url));
  return text;
}

}  // namespace

std::string failureMessage(const std::string& url, plat::URLOpenFailure why) {
  switch (why) {
    case plat::URLOpenFailure::UnsupportedAddress:
      return withAddress("url_open_eg1", url);
    case plat::URLOpenFailure::NoProgram:
      return withAddress("url_open_eg2", url);
    case plat::URLOpenFailure::ProgramFailed:
      break;
  }
  return withAddress("url_open_eg3", url);
}

void install() {
  plat::Application& application = plat::Application::shared();
  application.setURLOpener(std::make_shared<plat::DesktopURLOpener>());
  application.setURLOpenFailureHandler([](const std::string& url, plat::URLOpenFailure why) {
    MyAlerView::sharedAler()->ViewShow(failureMessage(url, why));
  });
  plat::WebView::setPageLoader(WebPageLoader::load);
  // The handler already runs on the main thread; it hears only of changes, so the indicator
  // starts as the requests left it.
  HttpRequest::setNetworkActivityIndicatorHandler([](bool visible) {
    plat::Application::shared().setNetworkActivityIndicatorVisible(visible);
  });
  application.setNetworkActivityIndicatorVisible(HttpRequest::isNetworkActivityIndicatorVisible());
}

void uninstall() {
  plat::Application& application = plat::Application::shared();
  application.setURLOpener(nullptr);
  application.setURLOpenFailureHandler(nullptr);
  plat::WebView::setPageLoader(nullptr);
  HttpRequest::setNetworkActivityIndicatorHandler(nullptr);
}

}  // namespace DesktopServices

// The shortcuts of ANUtils that reach the platform: views, images, bundles and addresses.
#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

#include "analytics/ANUtils.h"
#include "analytics/AnalyticsLog.h"
#include "platform/base/Bundle.h"
#include "platform/draw/ImageContext.h"
#include "platform/view/Application.h"
#include "platform/view/View.h"

namespace {

std::string className(const plat::View& view) {
  const char* mangled = typeid(view).name();
  int status = 0;
  char* readable = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  std::string name = status == 0 && readable ? readable : mangled;
  std::free(readable);
  return name;
}

// One line about a view: its class and frame, and its text when it shows one.
std::string viewDescription(const plat::View& view) {
  plat::Rect frame = view.frame();
  std::string text = anFormat("<%s: frame = (%g %g; %g %g)", className(view).c_str(), frame.x,
                              frame.y, frame.width, frame.height);
  std::string shown = view.displayedText();
  if (!shown.empty()) text += "; text = '" + shown + "'";
  return text + ">";
}

std::string indent(size_t depth) {
  std::string marks;
  while (marks.size() < depth) marks += "|-";
  return marks.substr(0, depth);
}

}  // namespace

std::string ANUtils::viewsText(const std::vector<std::shared_ptr<plat::View>>& views,
                               size_t depth) {
  std::string text;
  for (const auto& view : views) {
    text += indent(depth) + viewDescription(*view) + "\n";
    if (!view->subviews().empty()) text += viewsText(view->subviews(), depth + 2);
  }
  return text + "\n";
}

std::string ANUtils::viewHierarchyText(const plat::View& view, size_t depth) {
  return viewsText(view.subviews(), depth);
}

void ANUtils::printViewHierarchy(const plat::View& view, size_t depth) {
  analyticsPrint(viewHierarchyText(view, depth));
}

void ANUtils::printViews(const std::vector<std::shared_ptr<plat::View>>& views, size_t depth) {
  analyticsPrint(viewsText(views, depth));
}

std::shared_ptr<plat::Image> ANUtils::addImage(const plat::Image& top, const plat::Image& bottom) {
  plat::ImageContext canvas(bottom.size(), false);
  bottom.draw(canvas.context(), plat::Rect(0, 0, bottom.size().width, bottom.size().height));
  top.draw(canvas.context(), plat::Rect(0, 0, top.size().width, top.size().height));
  return canvas.takeImage();
}

std::optional<std::string> ANUtils::getBundleRes(const std::string& name,
                                                 const std::string& bundleName) {
  if (name.empty() || bundleName.empty()) return std::nullopt;
  std::string bundle = plat::Bundle::main().pathForResource(bundleName, "bundle");
  if (bundle.empty()) return std::nullopt;
  std::string path = plat::Bundle(bundle).pathForResource(name, "");
  if (path.empty()) return std::nullopt;
  return path;
}

bool ANUtils::canOpenUrl(const std::string& url) {
  return plat::Application::shared().canOpenURL(url);
}

bool ANUtils::openUrl(const std::string& url) {
  return plat::Application::shared().openURL(url);
}

bool ANUtils::makingACall(const std::string& number) {
  return openUrl("tel://" + number);
}

void ANUtils::presentStoreProductForApp(const std::string&, plat::ViewController&,
                                        const std::function<void(bool, const std::string&)>&) {}

// An application whose key window shows a navigation stack over one root screen that the test
// makes, for the tests that drive screens through the headless host.
#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "platform/view/Application.h"
#include "platform/view/NavigationController.h"
#include "platform/view/Window.h"

namespace testsupport {

class NavApp : public plat::ApplicationDelegate {
 public:
  explicit NavApp(std::function<std::shared_ptr<plat::ViewController>()> makeRoot)
      : makeRoot_(std::move(makeRoot)) {}
  bool didFinishLaunching(plat::Application&, const plat::Value&) override {
    window = std::make_shared<plat::Window>();
    root = makeRoot_();
    nav = std::make_shared<plat::NavigationController>(root);
    window->setRootViewController(nav);
    window->makeKeyAndVisible();
    return true;
  }

  std::shared_ptr<plat::Window> window;
  std::shared_ptr<plat::ViewController> root;
  std::shared_ptr<plat::NavigationController> nav;

 private:
  std::function<std::shared_ptr<plat::ViewController>()> makeRoot_;
};

}  // namespace testsupport

// A small application for the shared views' tests: a window whose root is a navigation stack
// over one base screen, run by the headless host on a virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/base/RunLoop.h"
#include "platform/host/HeadlessHost.h"
#include "platform/view/Animation.h"
#include "platform/view/NavigationController.h"
#include "platform/view/Window.h"
#include "ui/BaseViewController.h"

namespace uitest {

class ScreenApp : public plat::ApplicationDelegate {
 public:
  std::shared_ptr<plat::Window> window;
  std::shared_ptr<BaseViewController> screen;
  std::shared_ptr<plat::NavigationController> nav;

  bool didFinishLaunching(plat::Application&, const plat::Value&) override {
    window = std::make_shared<plat::Window>();
    screen = std::make_shared<BaseViewController>();
    screen->setTitle("复习/学习");
    nav = std::make_shared<plat::NavigationController>(screen);
    window->setRootViewController(nav);
    window->makeKeyAndVisible();
    return true;
  }
};

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = std::make_shared<ScreenApp>();
    host_ = std::make_unique<plat::HeadlessHost>(app_);
    ASSERT_TRUE(host_->launch());
  }
  void TearDown() override {
    host_->advance(30);  // every fade and delayed hide of the test runs out
    host_.reset();
    plat::RunLoop::main().discardAllSources();
  }

  // The root view the shared overlays live in.
  plat::View& rootView() { return *app_->nav->view(); }
  // The alpha drawn now, animation included.
  static double shownAlpha(const plat::View& view) {
    return plat::Animation::presentationOf(view).alpha;
  }

  std::shared_ptr<ScreenApp> app_;
  std::unique_ptr<plat::HeadlessHost> host_;
};

}  // namespace uitest

// Fixture of the shared views' tests: one base screen run by the headless host on a virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/base/RunLoop.h"
#include "platform/host/HeadlessHost.h"
#include "platform/view/Animation.h"
#include "tests/support/NavApp.h"
#include "ui/BaseViewController.h"

namespace uitest {

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = std::make_shared<testsupport::NavApp>([] {
      auto screen = std::make_shared<BaseViewController>();
      screen->setTitle("复习/学习");
      return screen;
    });
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

  std::shared_ptr<testsupport::NavApp> app_;
  std::unique_ptr<plat::HeadlessHost> host_;
};

}  // namespace uitest

// Fixture of the screen tests of the statistics and settings tabs: a real study store, the shipped
// images and texts, and one screen in a navigation stack of a window run by the headless host.
// The run loop waits for real (replies come from loopback servers); animations are off, so a
// push or a fade is done when the call returns.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/base/RunLoop.h"
#include "platform/host/HeadlessHost.h"
#include "platform/view/Animation.h"
#include "platform/view/Label.h"
#include "tests/stats/ShippedBundle.h"
#include "tests/store/StudyFixture.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/NavApp.h"
#include "ui/MyAlerView.h"

namespace screentest {

template <typename Screen>
class ScreenTest : public storetest::StudyTest {
 protected:
  void SetUp() override {
    StudyTest::SetUp();
    shippedbundle::link();
    plat::RunLoop::setMainThread();
    testsupport::clearProxyEnvironment();
    plat::Animation::setEnabled(false);
  }
  void TearDown() override {
    host_.reset();
    app_.reset();
    plat::RunLoop::main().discardAllSources();
    plat::Animation::setEnabled(true);
    StudyTest::TearDown();
  }
  // Launches the window with a new screen (call after the data a test needs is in place).
  void open() {
    app_ = std::make_shared<testsupport::NavApp>([] { return std::make_shared<Screen>(); });
    host_ = std::make_unique<plat::HeadlessHost>(app_, plat::HeadlessHost::Options{false});
    ASSERT_TRUE(host_->launch());
    settle();
  }
  Screen& screen() { return static_cast<Screen&>(*app_->root); }
  plat::ViewController* top() { return app_->nav->topViewController(); }
  // Runs what is due now, then draws.
  void settle() {
    plat::RunLoop::main().runUntil([] { return false; }, 0.02);
    host_->runUntilIdle();
  }
  void waitFor(const std::function<bool()>& done) {
    ASSERT_TRUE(plat::RunLoop::main().runUntil(done, 10));
    settle();
  }
  std::string shownMessage() {
    auto bubble = MyAlerView::sharedAler();
    auto* label =
        bubble ? dynamic_cast<plat::Label*>(bubble->viewWithTag(MyAlerView::kLabelTag)) : nullptr;
    return label ? label->text() : "";
  }
  void personal(const std::string& key, const std::string& value) {
    db_->UpdatePersonalValue(key, value);
  }
  std::string personal(const std::string& key) { return db_->getPersonalValue(key); }
  void writeScreen(const std::string& name) {
    ASSERT_TRUE(host_->writeScreen(shippedbundle::picturePath(name)));
  }

  std::shared_ptr<testsupport::NavApp> app_;
  std::unique_ptr<plat::HeadlessHost> host_;
};

}  // namespace screentest

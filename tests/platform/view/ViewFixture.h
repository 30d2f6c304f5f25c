// A fresh application on a virtual clock for each view test: the main run loop is this thread's,
// time moves only by advance(), and a window fills the phone screen.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/base/Clock.h"
#include "platform/base/RunLoop.h"
#include "platform/view/Application.h"
#include "platform/view/Keyboard.h"
#include "platform/view/ModalOverlay.h"
#include "platform/view/Screen.h"
#include "platform/view/Window.h"

namespace testsupport {

class ViewFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::RunLoop::setMainThread();
    clock_ = std::make_shared<plat::VirtualClock>();
    plat::Clock::install(clock_);
    plat::Screen::main().reset();
    plat::Application::shared().reset();
    plat::Keyboard::reset();
    plat::ModalOverlay::reset();
    window_ = std::make_shared<plat::Window>();
    window_->makeKeyAndVisible();
  }

  void TearDown() override {
    window_.reset();
    advance(30);  // lets every animation and delayed perform of the test run out
    plat::ModalOverlay::reset();
    plat::Keyboard::reset();
    plat::Application::shared().reset();
    plat::Clock::install(nullptr);
  }

  void advance(double seconds) { plat::RunLoop::current().advance(seconds); }
  void runUntilIdle() { plat::RunLoop::current().runUntilIdle(); }

  // A finger down and up at `p` (screen coordinates), in the topmost window there.
  void tap(plat::Point p) { drag(p, p, 0); }
  // A finger from `from` to `to` in `steps` moves, lifted at `to`.
  void drag(plat::Point from, plat::Point to, int steps = 5) {
    plat::Window* w = plat::Application::shared().windowAt(from);
    if (!w) return;
    w->sendTouch(plat::TouchPhase::Began, from);
    for (int i = 1; i <= steps; ++i) {
      double f = double(i) / steps;
      w->sendTouch(plat::TouchPhase::Moved,
                   {from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f});
    }
    w->sendTouch(plat::TouchPhase::Ended, to);
  }
  plat::Point centerOf(const plat::View& view) const {
    plat::Rect b = view.bounds();
    return view.convertPointTo(b.center(), nullptr);
  }

  std::shared_ptr<plat::VirtualClock> clock_;
  std::shared_ptr<plat::Window> window_;
};

// A view of kind `Base` that records the touches it hears, then handles them as `Base` does.
template <class Base = plat::View>
class TouchRecorder : public Base {
 public:
  using Base::Base;
  std::vector<std::string> events;
  void touchesBegan(const plat::TouchSet& t) override { Base::touchesBegan(log("began", t)); }
  void touchesMoved(const plat::TouchSet& t) override { Base::touchesMoved(log("moved", t)); }
  void touchesEnded(const plat::TouchSet& t) override { Base::touchesEnded(log("ended", t)); }
  void touchesCancelled(const plat::TouchSet& t) override {
    Base::touchesCancelled(log("cancelled", t));
  }

 private:
  const plat::TouchSet& log(const char* what, const plat::TouchSet& t) {
    events.push_back(what);
    return t;
  }
};

}  // namespace testsupport

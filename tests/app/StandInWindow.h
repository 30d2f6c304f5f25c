// A window test of the real program against the real stand-in server program: the test's X
// display, the stand-in (started by the test's SetUp), the program in its window and the steps a
// learner's finger takes, each waiting until the screen has settled.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/base/Files.h"
#include "tests/app/PhoneWindow.h"
#include "tests/app/ProgramProcess.h"
#include "tests/app/StandInProgram.h"
#include "tests/app/XvfbDesktop.h"

namespace apptest {

class StandInWindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    program_.reset();
    server_.reset();
    if (!folder_.empty()) plat::files::remove(folder_);
  }

  // Starts the program on the app home in `folder` with the store lookup at `storeLookup` and
  // `env` besides, and waits for its first settled screen.
  void start(const std::string& folder, const std::string& storeLookup = "",
             std::map<std::string, std::string> env = {}) {
    env.insert({{"DISPLAY", desktop_.display()},
                {"WAYLAND_DISPLAY", ""},
                // SDL's D-Bus library keeps data the leak checker cannot trace; the window test
                // says more.
                {"ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1"}});
    program_ = std::make_unique<ProgramProcess>(folder, storeLookup, env);
    ASSERT_TRUE(program_->started());
    const std::string window =
        desktop_.waitForWindow("vocab", 60, [this] { return program_->wait(0) != -1; });
    ASSERT_FALSE(window.empty()) << program_->log();
    phone_ = std::make_unique<PhoneWindow>(desktop_, window, screenPoints_);
    ASSERT_GT(phone_->frame().width, 0);
    screen_ = phone_->still(1.5);
    ASSERT_TRUE(screen_);
  }

  // Taps and keeps the settled screen; fails the test when nothing changed.
  void tap(const double (&point)[2], const std::string& what) {
    ASSERT_TRUE(screen_);
    std::optional<ScreenShot> next = phone_->tapAndSettle(point[0], point[1], *screen_);
    ASSERT_TRUE(next) << what << "\n" << program_->log();
    screen_ = next;
  }
  void tapAt(double x, double y, const std::string& what) {
    const double point[2] = {x, y};
    tap(point, what);
  }
  // Types into the field just tapped and waits for the text to show.
  void type(const std::string& text) {
    phone_->type(text);
    screen_ = phone_->still();
  }
  // The screen after the server's reply and whatever it brought up has settled.
  void settle(double quiet = 1.5) { screen_ = phone_->still(quiet); }
  // Waits until the screen passes `check`, then keeps it once settled; false when it never did
  // within `seconds`. A step waits for what it looks for rather than for a time: under a
  // sanitizer the program takes many times as long, and a quiet moment may come halfway.
  bool until(const std::function<bool(const ScreenShot&)>& check, double seconds = 120) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
      std::optional<ScreenShot> now = phone_->shot();
      if (now && check(*now)) {
        settle();
        if (check(*screen_)) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    return false;
  }
  void picture(const std::string& name) { phone_->write(*screen_, name); }

  std::string folder_;
  plat::Size screenPoints_{PhoneWindow::kWidth, PhoneWindow::kHeight};  // a tablet's, with --tablet
  std::unique_ptr<StandInProgram> server_;
  XvfbDesktop desktop_;
  std::unique_ptr<ProgramProcess> program_;
  std::unique_ptr<PhoneWindow> phone_;
  std::optional<ScreenShot> screen_;
};

}  // namespace apptest

// A window test of the real program against the real stand-in server program: the test's X
// display, the stand-in (started by the test's SetUp), the program in its window and the steps a
// learner's finger takes, each waiting until the screen shows what the step brings.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

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
  // `env` besides, and waits for its window. The test then waits for the first screen's look.
  void start(const std::string& folder, const std::string& storeLookup = "",
             std::map<std::string, std::string> env = {}) {
    env.insert({{"DISPLAY", desktop_.display()},
                {"WAYLAND_DISPLAY", ""},
                // SDL's D-Bus library keeps data the leak checker cannot trace; the window test
                // says more.
                {"ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1"}});
    program_ = std::make_unique<ProgramProcess>(folder, storeLookup, env);
    ASSERT_TRUE(program_->started());
    const std::string window = desktop_.waitForWindow("vocab", XvfbDesktop::kPatience,
                                                      [this] { return program_->wait(0) != -1; });
    ASSERT_FALSE(window.empty()) << program_->log();
    phone_ = std::make_unique<PhoneWindow>(desktop_, window, screenPoints_);
    ASSERT_GT(phone_->frame().width, 0) << "the display gave no size for the window";
    screen_.reset();
  }

  // Waits until the screen shows `look` and keeps that picture; false when it never did. A step
  // waits for what it looks for rather than for a time or a quiet moment: under a sanitizer the
  // program takes many times as long, and may stand still halfway.
  bool until(const PhoneWindow::Look& look, double seconds = XvfbDesktop::kPatience) {
    if (HasFatalFailure()) return false;  // a step failed already: the rest would only wait
    std::optional<ScreenShot> shown = phone_->when(look, seconds);
    if (!shown) return false;
    screen_ = std::move(shown);
    return true;
  }
  // Taps and waits for the look of what the tap brings; fails the test when it never shows.
  void tap(const double (&point)[2], const std::string& what, const PhoneWindow::Look& look) {
    if (HasFatalFailure()) return;
    phone_->tap(point[0], point[1]);
    ASSERT_TRUE(until(look)) << what << " never showed\n" << program_->log();
  }
  void tapAt(double x, double y, const std::string& what, const PhoneWindow::Look& look) {
    const double point[2] = {x, y};
    tap(point, what, look);
  }
  // Types into the field being edited and waits until the text shows as `look` says.
  void type(const std::string& text, const PhoneWindow::Look& look) {
    phone_->type(text);
    ASSERT_TRUE(until(look)) << "typed \"" << text << "\" never showed\n" << program_->log();
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

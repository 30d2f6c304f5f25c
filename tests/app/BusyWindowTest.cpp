// The window host under Xvfb, its application queuing work at once without end (as a delayed
// perform of no delay or as a perform): the window still shows what a timer changed, takes a tap
// and shows what it did, and closes. Before, the loop that never slept never read input or drew.
// Work begun as the application launches, each turn of it taking some milliseconds, still lets
// the first frame show, within a few of its turns: counted in turns, not in time, so that a busy
// machine neither fails it nor lets a launch that runs the work out first pass.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "platform/base/RunLoop.h"
#include "platform/host/WindowHost.h"
#include "platform/view/Button.h"
#include "platform/view/Screen.h"
#include "platform/view/ViewController.h"
#include "platform/view/Window.h"
#include "tests/app/XvfbDesktop.h"

namespace apptest {
namespace {

// How the child ended when the window was not closed.
constexpr int kNoWindow = 5, kIdled = 3, kFirstFrameLate = 4;
// Turns of the launch's work by which the first frame must have been drawn: it comes after two
// turns and a frame's time (a few turns of milliseconds), however busy the machine; a launch
// that ran such work out first drew it after the run loop's 100,000.
constexpr int kMostTurnsBeforeFirstFrame = 200;
constexpr const char* kWindowClass = "busywindow";

enum class Chain { DelayedPerforms, Performs };

// The work that never ends.
struct Work {
  Chain chain;
  bool fromLaunch = false;                 // begun as the application launches, else a moment after
  std::chrono::milliseconds turnTakes{0};  // what each turn of it takes
};

// A view that notes that it has been drawn.
class DrawnView : public plat::View {
 public:
  using View::View;
  bool drawn() const { return drawn_; }
  void drawRect(plat::DrawContext& context, const plat::Rect& rect) override {
    drawn_ = true;
    View::drawRect(context, rect);
  }

 private:
  bool drawn_ = false;
};

// One screen-wide button, blue at launch; a timer turns it red once work begun after the launch
// has begun, a tap turns it green. Work begun at the launch ends the child when the first frame
// was not drawn within its first turns.
class BusyApp : public plat::ApplicationDelegate {
 public:
  explicit BusyApp(Work work) : work_(work) {}

  bool didFinishLaunching(plat::Application&, const plat::Value&) override {
    window_ = std::make_shared<plat::Window>();
    root_ = std::make_shared<plat::ViewController>();
    auto button = plat::Button::create(plat::ButtonType::Custom, plat::Screen::main().bounds());
    button->setBackgroundColor(plat::Color::rgb(0, 0, 1));
    button->addTarget(
        this, "tap",
        [](plat::Control& control) { control.setBackgroundColor(plat::Color::rgb(0, 1, 0)); },
        plat::kTouchUpInside);
    root_->view()->addSubview(button);
    auto drawn = std::make_shared<DrawnView>(plat::Rect{0, 0, 1, 1});
    root_->view()->addSubview(drawn);
    window_->setRootViewController(root_);
    window_->makeKeyAndVisible();
    step_ = [this, drawn] {
      if (work_.fromLaunch && !drawn->drawn() && ++turnsUndrawn_ > kMostTurnsBeforeFirstFrame)
        _exit(kFirstFrameLate);
      std::this_thread::sleep_for(work_.turnTakes);
      if (work_.chain == Chain::DelayedPerforms) {
        plat::RunLoop::main().performAfter(0, this, "again", step_);
      } else {
        plat::RunLoop::main().perform(step_);
      }
    };
    if (work_.fromLaunch) {
      step_();
    } else {
      begin_ = plat::Timer::scheduled(0.3, false, [this](plat::Timer&) { step_(); });
      turnRed_ = plat::Timer::scheduled(1.0, false, [button](plat::Timer&) {
        button->setBackgroundColor(plat::Color::rgb(1, 0, 0));
      });
    }
    watchdog_ = plat::Timer::scheduled(XvfbDesktop::kPatience * 3, false,
                                       [](plat::Timer&) { _exit(kIdled); });
    return true;
  }

 private:
  Work work_;
  std::shared_ptr<plat::Window> window_;
  std::shared_ptr<plat::ViewController> root_;
  std::function<void()> step_;
  int turnsUndrawn_ = 0;
  std::shared_ptr<plat::Timer> begin_, turnRed_, watchdog_;
};

bool red(unsigned c) {
  return (c >> 16) > 200 && ((c >> 8) & 0xff) < 60 && (c & 0xff) < 60;
}
bool green(unsigned c) {
  return ((c >> 8) & 0xff) > 200 && (c >> 16) < 60 && (c & 0xff) < 60;
}
bool blue(unsigned c) {
  return (c & 0xff) > 200 && (c >> 16) < 60 && ((c >> 8) & 0xff) < 60;
}

class BusyWindow : public ::testing::Test {
 protected:
  void TearDown() override {
    if (child_ > 0) {
      kill(child_, SIGKILL);
      waitpid(child_, nullptr, 0);
    }
  }

  // The window host of a BusyApp in a child on the test's display; it leaves with _exit, past the
  // leak checker (SDL's libraries keep data it cannot trace).
  void start(Work work) {
    ASSERT_FALSE(desktop_.display().empty()) << "Xvfb did not start";
    child_ = fork();
    ASSERT_GE(child_, 0);
    if (child_ == 0) {
      setenv("DISPLAY", desktop_.display().c_str(), 1);
      unsetenv("WAYLAND_DISPLAY");
      setenv("SDL_VIDEO_X11_WMCLASS", kWindowClass, 1);
      plat::WindowHost host(std::make_shared<BusyApp>(work));
      if (!host.open()) _exit(kNoWindow);
      _exit(host.run());
    }
    window_ = desktop_.waitForWindow(kWindowClass, XvfbDesktop::kPatience,
                                     [this] { return ended().has_value(); });
    ASSERT_FALSE(window_.empty()) << "no window";
    frame_ = desktop_.geometry(window_);
    ASSERT_GT(frame_.width, 0);
  }
  // The window's middle shows a colour `pick` takes.
  bool shows(const std::function<bool(unsigned)>& pick) const {
    const int x = static_cast<int>(frame_.midX()), y = static_cast<int>(frame_.midY());
    return desktop_
        .shotWhen(
            [&](const ScreenShot& shot) { return shot.share(x - 20, y - 20, 40, 40, pick) > 0.95; })
        .has_value();
  }
  // How the child ended (its exit code, or 128 and the signal), once it has.
  std::optional<int> ended() {
    int status = 0;
    if (!endStatus_ && child_ > 0 && waitpid(child_, &status, WNOHANG) == child_) {
      endStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      child_ = -1;
    }
    return endStatus_;
  }
  // How the child ended, waiting for it at most the patience of a step.
  int end() {
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(XvfbDesktop::kPatience);
    while (!ended()) {
      if (std::chrono::steady_clock::now() > until) return kIdled;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return *endStatus_;
  }

  // What a timer did shows, a tap is taken and what it did shows, and a close ends the program.
  void expectDrawingAndTakingTaps(Chain chain) {
    ASSERT_NO_FATAL_FAILURE(start({chain}));
    ASSERT_TRUE(shows(red)) << "what the timer did never showed";
    expectTakingTaps();
  }
  // The first frame shows what the application launched with, a tap is taken and what it did
  // shows, and a close ends the program.
  void expectFirstFrameAndTakingTaps(Work work) {
    ASSERT_NO_FATAL_FAILURE(start(work));
    const bool shown = shows(blue);
    ASSERT_NE(ended(), kFirstFrameLate)
        << "the first frame was not drawn within " << kMostTurnsBeforeFirstFrame << " turns";
    ASSERT_TRUE(shown) << "the first frame never showed";
    expectTakingTaps();
  }
  // A tap is taken and what it did shows, and a close ends the program.
  void expectTakingTaps() {
    desktop_.click(window_, static_cast<int>(frame_.width / 2),
                   static_cast<int>(frame_.height / 2));
    ASSERT_TRUE(shows(green)) << "the tap was not taken, or what it did never showed";
    ASSERT_TRUE(desktop_.closeWindow(window_));
    EXPECT_EQ(end(), 0) << "the close did not end the program";
  }

  XvfbDesktop desktop_;
  pid_t child_ = -1;
  std::optional<int> endStatus_;
  std::string window_;
  plat::Rect frame_;
};

TEST_F(BusyWindow, DelayedPerformsOfNoDelayWithoutEndLeaveTheWindowDrawingAndTakingTaps) {
  expectDrawingAndTakingTaps(Chain::DelayedPerforms);
}

TEST_F(BusyWindow, PerformsWithoutEndLeaveTheWindowDrawingAndTakingTaps) {
  expectDrawingAndTakingTaps(Chain::Performs);
}

// A long list built a piece at a time from the launch on, each piece taking 3 ms.
TEST_F(BusyWindow, DelayedPerformsFromTheLaunchOnTakingTimeLetTheFirstFrameShowAndTakeTaps) {
  expectFirstFrameAndTakingTaps({Chain::DelayedPerforms, true, std::chrono::milliseconds(3)});
}

TEST_F(BusyWindow, PerformsFromTheLaunchOnTakingTimeLetTheFirstFrameShowAndTakeTaps) {
  expectFirstFrameAndTakingTaps({Chain::Performs, true, std::chrono::milliseconds(3)});
}

}  // namespace
}  // namespace apptest

// A middle click pastes the primary selection even when its owner takes longer than a second to
// answer, as a program on a busy machine does: the window host in a child on Xvfb, a text field
// under the pointer, and an owner of the selection in the test that answers late. The display
// library's own read gave up after a second and took the selection over with an empty text.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "platform/base/RunLoop.h"
#include "platform/host/WindowHost.h"
#include "platform/view/Screen.h"
#include "platform/view/TextField.h"
#include "platform/view/ViewController.h"
#include "platform/view/Window.h"
#include "tests/app/XvfbDesktop.h"

// Last: Xlib's names (None, Bool, Status) are macros.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace apptest {
namespace {

constexpr int kPasted = 0, kNoWindow = 5, kNotPasted = 6;
constexpr const char* kWindowClass = "slowselection";
const std::string kSelected = "Selected in a slow program.";
// Longer than the display library waited.
constexpr auto kOwnerTakes = std::chrono::milliseconds(2500);

// A text field over the upper half; the child ends as soon as the field holds the selection.
class FieldApp : public plat::ApplicationDelegate {
 public:
  bool didFinishLaunching(plat::Application&, const plat::Value&) override {
    window_ = std::make_shared<plat::Window>();
    root_ = std::make_shared<plat::ViewController>();
    const plat::Rect screen = plat::Screen::main().bounds();
    auto field =
        std::make_shared<plat::TextField>(plat::Rect{0, 0, screen.width, screen.height / 2});
    root_->view()->addSubview(field);
    window_->setRootViewController(root_);
    window_->makeKeyAndVisible();
    check_ = plat::Timer::scheduled(0.05, true, [field](plat::Timer&) {
      if (field->text() == kSelected) _exit(kPasted);
    });
    watchdog_ = plat::Timer::scheduled(XvfbDesktop::kPatience, false,
                                       [](plat::Timer&) { _exit(kNotPasted); });
    return true;
  }

 private:
  std::shared_ptr<plat::Window> window_;
  std::shared_ptr<plat::ViewController> root_;
  std::shared_ptr<plat::Timer> check_, watchdog_;
};

// Owns the display's primary selection and hands it over as UTF-8, each time only after a while.
class SlowOwner {
 public:
  explicit SlowOwner(const std::string& display) : display_(XOpenDisplay(display.c_str())) {
    if (!display_) return;
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display_, XA_PRIMARY, window_, CurrentTime);
    XSync(display_, False);
    owns_ = XGetSelectionOwner(display_, XA_PRIMARY) == window_;
    serving_ = std::thread([this] { serve(); });
  }
  ~SlowOwner() {
    stop_ = true;
    if (serving_.joinable()) serving_.join();
    if (display_) XCloseDisplay(display_);
  }
  bool owns() const { return owns_; }
  int answered() const { return answered_; }

 private:
  void serve() {
    const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    while (!stop_) {
      while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type != SelectionRequest) continue;
        const XSelectionRequestEvent& request = event.xselectionrequest;
        std::this_thread::sleep_for(kOwnerTakes);
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = request.requestor;
        reply.xselection.selection = request.selection;
        reply.xselection.target = request.target;
        reply.xselection.time = request.time;
        reply.xselection.property = None;
        if (request.target == utf8 && request.property != None) {
          XChangeProperty(display_, request.requestor, request.property, utf8, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(kSelected.data()),
                          static_cast<int>(kSelected.size()));
          reply.xselection.property = request.property;
        }
        XSendEvent(display_, request.requestor, False, 0, &reply);
        XFlush(display_);
        ++answered_;
      }
      pollfd connection{ConnectionNumber(display_), POLLIN, 0};
      ::poll(&connection, 1, 50);
    }
  }

  Display* display_;
  Window window_ = 0;
  bool owns_ = false;
  std::atomic<bool> stop_{false};
  std::atomic<int> answered_{0};
  std::thread serving_;
};

TEST(SlowSelection, AMiddleClickPastesWhatAnOwnerSlowerThanASecondHandsOver) {
  XvfbDesktop desktop;
  ASSERT_FALSE(desktop.display().empty()) << "Xvfb did not start";
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setenv("DISPLAY", desktop.display().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    setenv("SDL_VIDEO_X11_WMCLASS", kWindowClass, 1);
    plat::WindowHost host(std::make_shared<FieldApp>());
    if (!host.open()) _exit(kNoWindow);
    host.run();
    _exit(kNotPasted);
  }
  const std::string window = desktop.waitForWindow(
      kWindowClass, XvfbDesktop::kPatience, [&] { return waitpid(child, nullptr, WNOHANG) != 0; });
  int status = 0;
  if (!window.empty()) {
    SlowOwner owner(desktop.display());
    EXPECT_TRUE(owner.owns());
    const plat::Rect frame = desktop.geometry(window);
    desktop.run("xdotool mousemove --window " + window + " " +
                std::to_string(static_cast<int>(frame.width / 2)) + " " +
                std::to_string(static_cast<int>(frame.height / 4)) + " click 2");
    waitpid(child, &status, 0);
    EXPECT_GE(owner.answered(), 1) << "the program never asked for the selection";
  } else {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    FAIL() << "no window";
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kPasted)
      << "the field never held the selection (status " << status << ")";
}

}  // namespace
}  // namespace apptest

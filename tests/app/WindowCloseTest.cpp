// Every close of the window ends the program, whatever it was doing: the real program sent the
// message a window manager's close button sends right after a swipe, a scroll and while the login
// window comes in, and a window host closed while a handler waits inside the run loop for an
// animation to end (an alert's bubble does).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>

#include "platform/base/Files.h"
#include "platform/base/RunLoop.h"
#include "platform/host/WindowHost.h"
#include "platform/view/Animation.h"
#include "platform/view/Clipboard.h"
#include "platform/view/ViewController.h"
#include "platform/view/Window.h"
#include "store/CallDB.h"
#include "tests/app/CloseMessage.h"
#include "tests/app/PhoneWindow.h"
#include "tests/app/ProgramProcess.h"
#include "tests/app/XvfbDesktop.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempHome.h"

// Last: Xlib's names (None, Bool, Status) are macros.
#include <X11/Xlib.h>

namespace apptest {
namespace {

// How a window host in a child process ended.
enum ChildEnd { kEnded = 0, kIdled = 3, kTerminatedTwice = 4, kNoWindow = 5, kNotClosed = 6 };
// A child whose close was lost ends itself after this long, so that the test sees that rather
// than a hang; a close taken ends it within a moment even on a busy machine.
constexpr double kWatchdogSeconds = 45;

// An application of one screen that is closed half a second after it started, as `closeSoon`
// does; a watchdog ends the child when the close was lost.
class ClosedSoon : public plat::ApplicationDelegate {
 public:
  int terminated = 0;

  bool didFinishLaunching(plat::Application&, const plat::Value&) override {
    window_ = std::make_shared<plat::Window>();
    root_ = std::make_shared<plat::ViewController>();
    window_->setRootViewController(root_);
    window_->makeKeyAndVisible();
    close_ = plat::Timer::scheduled(0.5, false, [this](plat::Timer&) { closeSoon(); });
    watchdog_ =
        plat::Timer::scheduled(kWatchdogSeconds, false, [](plat::Timer&) { _exit(kIdled); });
    return true;
  }
  void willTerminate(plat::Application&) override { ++terminated; }

 protected:
  virtual void closeSoon() = 0;
  std::shared_ptr<plat::ViewController> root_;

 private:
  std::shared_ptr<plat::Window> window_;
  std::shared_ptr<plat::Timer> close_, watchdog_;
};

// Closed as its one screen fades inside a wait for the fade's end, as an alert's bubble runs its
// steps.
class WaitsInAnAnimation : public ClosedSoon {
  void closeSoon() override {
    // The desktop closes the window (SIGTERM, as the window tests do) as the fade begins.
    kill(getpid(), SIGTERM);
    plat::Animation::begin();
    plat::Animation::setDuration(1.5);
    root_->view()->setAlpha(0.3);
    plat::Animation::commitAndWait();
  }
};

// Runs a window host for `app` in a child on its own display, and tells how it ended. The
// window host runs in a child: SDL's libraries keep data the leak checker cannot trace, and the
// child leaves with _exit, past it.
template <typename App>
int endOfWindowHost() {
  XvfbDesktop desktop;
  if (desktop.display().empty()) return kNoWindow;
  const pid_t child = fork();
  if (child < 0) return kNoWindow;
  if (child == 0) {
    setenv("DISPLAY", desktop.display().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    auto app = std::make_shared<App>();
    plat::WindowHost host(app);
    if (!host.open()) _exit(kNoWindow);
    host.run();
    _exit(app->terminated == 1 ? kEnded : kTerminatedTwice);
  }
  int status = 0;
  const auto until =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(XvfbDesktop::kPatience);
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > until) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return kIdled;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(WindowHostClose, ACloseHeardWhileAHandlerWaitsForAnAnimationEndsTheProgram) {
  const int end = endOfWindowHost<WaitsInAnAnimation>();
  EXPECT_NE(end, kIdled) << "the close was lost: the program idled on";
  EXPECT_NE(end, kNoWindow);
  EXPECT_EQ(end, kEnded) << "the application was told it ends once";
}

// The top window of the display: the window host's own, on a display with no window manager.
unsigned long topWindowOf(Display* connection) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  unsigned long found = 0;
  if (XQueryTree(connection, DefaultRootWindow(connection), &root, &parent, &children, &count)) {
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes attributes;
      if (XGetWindowAttributes(connection, children[i], &attributes) &&
          attributes.map_state == IsViewable)
        found = children[i];
    }
    XFree(children);
  }
  return found;
}

// An application that reads the display's connection right after the desktop closed its window,
// as reading the clipboard does: the close then waits in the library's queue, where the
// connection no longer shows it, and the loop must still take it before it sleeps.
class ReadsTheDisplayAfterTheClose : public ClosedSoon {
  void closeSoon() override {
    const char* display = std::getenv("DISPLAY");
    Display* desktop = XOpenDisplay(display);
    const unsigned long own = desktop ? topWindowOf(desktop) : 0;
    if (desktop) XCloseDisplay(desktop);
    // The message is on the server's way to this program once the sender synchronised.
    if (own == 0 || !sendCloseMessage(display, own)) _exit(kNotClosed);
    (void)plat::Clipboard::general().text();  // a round trip on the program's own connection
  }
};

TEST(WindowHostClose, ACloseReadOffTheDisplayBeforeTheLoopSleepsEndsTheProgram) {
  const int end = endOfWindowHost<ReadsTheDisplayAfterTheClose>();
  EXPECT_NE(end, kIdled) << "the close was lost: the program idled on";
  EXPECT_NE(end, kNotClosed) << "the close message was not sent";
  EXPECT_EQ(end, kEnded);
}

// The real program in its window, closed as a window manager's close button closes it (the
// WM_DELETE_WINDOW message) at once after what a learner just did. A few rounds each: a close the
// program let slip showed up a few times in a hundred.
constexpr int kRounds = 3;
constexpr double kReviewTab[] = {40, 545};
constexpr double kSettingsTab[] = {280, 545};
// "登录 / 注册": the login window comes in with an animation.
constexpr double kLoginRow[] = {150, 86};

class ClosingProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::clearProxyEnvironment();
    folder_ = testsupport::makeTempDir("vocab-close");
    ASSERT_FALSE(desktop_.display().empty()) << "Xvfb did not start";
    ASSERT_TRUE(planWordsInHome(folder_ + "/home", {"achieve", "support", "quiet", "close"},
                                [](CallDB& store) {
                                  store.UpdatePersonalValue("run_machine", "1");  // no guide
                                }));
  }
  void TearDown() override {
    program_.reset();
    plat::files::remove(folder_);
  }
  // Starts the program and waits for its review screen.
  void start() {
    // See the window test: the D-Bus library SDL loads keeps data the leak checker cannot trace.
    program_ = std::make_unique<ProgramProcess>(
        folder_, store_.url(""),
        std::map<std::string, std::string>{{"DISPLAY", desktop_.display()},
                                           {"WAYLAND_DISPLAY", ""},
                                           {"ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1"}});
    ASSERT_TRUE(program_->started());
    window_ = desktop_.waitForWindow("vocab", XvfbDesktop::kPatience,
                                     [this] { return program_->wait(0) != -1; });
    ASSERT_FALSE(window_.empty()) << program_->log();
    phone_ = std::make_unique<PhoneWindow>(desktop_, window_);
    ASSERT_TRUE(phone_->when(phone_->tabSelected(kReviewTab))) << "no review screen";
  }
  // Sends the close message once and expects the program to end by itself, cleanly.
  void expectCloseEnds(const std::string& after) {
    ASSERT_TRUE(desktop_.closeWindow(window_)) << "the close message was not sent";
    EXPECT_EQ(program_->wait(XvfbDesktop::kPatience), 0) << "closed right after " << after << "\n"
                                                         << program_->log();
    program_.reset();
  }

  testsupport::LoopbackHttpServer store_{
      [](const testsupport::ServerRequest&) { return testsupport::ServerReply::text("{}", 404); }};
  XvfbDesktop desktop_;
  std::string folder_;
  std::string window_;
  std::unique_ptr<ProgramProcess> program_;
  std::unique_ptr<PhoneWindow> phone_;
};

TEST_F(ClosingProgram, ACloseRightAfterASwipeEndsIt) {
  for (int round = 0; round < kRounds; ++round) {
    ASSERT_NO_FATAL_FAILURE(start());
    phone_->drag(160, 420, 150);
    expectCloseEnds("a swipe");
  }
}

TEST_F(ClosingProgram, ACloseRightAfterAScrollEndsIt) {
  for (int round = 0; round < kRounds; ++round) {
    ASSERT_NO_FATAL_FAILURE(start());
    phone_->scrollDown(160, 300, 5);
    expectCloseEnds("a scroll");
  }
}

TEST_F(ClosingProgram, ACloseWhileTheLoginWindowComesInEndsIt) {
  for (int round = 0; round < kRounds; ++round) {
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(
        phone_->tapUntil(kSettingsTab[0], kSettingsTab[1], phone_->tabSelected(kSettingsTab)))
        << "no settings screen";
    phone_->tap(kLoginRow[0], kLoginRow[1]);
    expectCloseEnds("a tap that brings the login window in");
  }
}

}  // namespace
}  // namespace apptest

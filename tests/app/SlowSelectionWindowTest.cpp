// A middle click pastes the primary selection however its owner hands it over: later than a
// second, as a program on a busy machine does, or a long text in pieces, as xclip hands over a
// text of more than about a megabyte. The window host in a child on Xvfb, a text view under the
// pointer, and the owner of the selection in the test or xclip. The display library's own read
// gave up after a second and took the selection over with an empty text; a text in pieces
// pasted nothing and said nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "platform/base/Files.h"
#include "platform/base/RunLoop.h"
#include "platform/host/WindowHost.h"
#include "platform/view/Screen.h"
#include "platform/view/TextView.h"
#include "platform/view/ViewController.h"
#include "platform/view/Window.h"
#include "tests/app/SlowSelectionOwner.h"
#include "tests/app/XvfbDesktop.h"
#include "tests/support/Patience.h"
#include "tests/support/TempHome.h"

namespace apptest {
namespace {

// How the child ends.
constexpr int kPasted = 0, kNoWindow = 5, kNotPasted = 6, kTooLong = 7, kOtherText = 8;
constexpr const char* kWindowClass = "slowselection";
const std::string kSelected = "Selected in a slow program.";
// Longer than the display library waited.
constexpr auto kOwnerTakes = std::chrono::milliseconds(2500);
// How long after the middle click the field must have heard of the paste: the owner's delay or
// a megabyte and a half in pieces take seconds, also on a busy machine; a paste that brought
// nothing fails within this, not after the patience of a step.
constexpr double kPasteComesWithin = testsupport::kSoon;

// Lines of words, `bytes` long: more than xclip hands over in one piece when over a megabyte.
std::string longText(size_t bytes) {
  std::string text;
  for (int line = 0; text.size() < bytes; ++line)
    text += "Line " + std::to_string(line) + " of a long text copied in another program.\n";
  text.resize(bytes);
  return text;
}

// A text view over the upper half that takes pastes up to `most` bytes. The child ends as the
// paste comes, before the text is drawn: with the text expected, another, or a paste too long.
class FieldApp : public plat::ApplicationDelegate, public plat::TextViewDelegate {
 public:
  FieldApp(std::string expected, size_t most) : expected_(std::move(expected)), most_(most) {}

  bool didFinishLaunching(plat::Application&, const plat::Value&) override {
    window_ = std::make_shared<plat::Window>();
    root_ = std::make_shared<plat::ViewController>();
    const plat::Rect screen = plat::Screen::main().bounds();
    field_ = std::make_shared<plat::TextView>(plat::Rect{0, 0, screen.width, screen.height / 2});
    field_->setMostPastedBytes(most_);
    field_->setTextDelegate(this);
    root_->view()->addSubview(field_);
    window_->setRootViewController(root_);
    window_->makeKeyAndVisible();
    watchdog_ = plat::Timer::scheduled(XvfbDesktop::kPatience, false,
                                       [](plat::Timer&) { _exit(kNotPasted); });
    return true;
  }
  bool shouldChangeText(plat::TextView&, plat::TextRange, const std::string& pasted) override {
    _exit(pasted == expected_ ? kPasted : kOtherText);
  }
  void pasteTooLong(plat::TextView&) override { _exit(kTooLong); }

 private:
  const std::string expected_;
  const size_t most_;
  std::shared_ptr<plat::Window> window_;
  std::shared_ptr<plat::ViewController> root_;
  std::shared_ptr<plat::TextView> field_;
  std::shared_ptr<plat::Timer> watchdog_;
};

class SlowSelection : public ::testing::Test {
 protected:
  // Starts the child with its field, lets `own` put the selection up, middle-clicks the field and
  // waits for the child's end: its exit code, or -1 when it showed no window.
  int middleClickPaste(const std::string& expected, size_t most, const std::function<void()>& own) {
    if (desktop_.display().empty()) return -1;
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
      setenv("DISPLAY", desktop_.display().c_str(), 1);
      unsetenv("WAYLAND_DISPLAY");
      setenv("SDL_VIDEO_X11_WMCLASS", kWindowClass, 1);
      plat::WindowHost host(std::make_shared<FieldApp>(expected, most));
      if (!host.open()) _exit(kNoWindow);
      host.run();
      _exit(kNotPasted);
    }
    const std::string window = desktop_.waitForWindow(kWindowClass, XvfbDesktop::kPatience, [&] {
      return waitpid(child, nullptr, WNOHANG) != 0;
    });
    int status = 0;
    if (window.empty()) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return -1;
    }
    own();
    const plat::Rect frame = desktop_.geometry(window);
    desktop_.run("xdotool mousemove --window " + window + " " +
                 std::to_string(static_cast<int>(frame.width / 2)) + " " +
                 std::to_string(static_cast<int>(frame.height / 4)) + " click 2");
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(kPasteComesWithin);
    while (waitpid(child, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > until) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        return kNotPasted;
      }
      usleep(50 * 1000);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // Puts `text` on the primary selection with xclip.
  void selectWithXclip(const std::string& text) {
    const std::string folder = testsupport::makeTempDir("vocab-selection");
    ASSERT_TRUE(plat::files::writeFileAtomically(folder + "/selection.txt", text));
    desktop_.run("xclip -selection primary -i " + folder + "/selection.txt >/dev/null");
    plat::files::remove(folder);
  }

  XvfbDesktop desktop_;
};

TEST_F(SlowSelection, AMiddleClickPastesWhatAnOwnerSlowerThanASecondHandsOver) {
  std::unique_ptr<SlowSelectionOwner> owner;
  const int ended = middleClickPaste(kSelected, plat::kMostPastedBytes, [&] {
    owner =
        std::make_unique<SlowSelectionOwner>(desktop_.display(), "PRIMARY", kSelected, kOwnerTakes);
    EXPECT_TRUE(owner->owns());
  });
  ASSERT_NE(ended, -1) << "no window";
  EXPECT_GE(owner->answered(), 1) << "the program never asked for the selection";
  EXPECT_EQ(ended, kPasted) << "the field never held the selection";
}

// xclip hands over a text in pieces when it is longer than the display takes in one request
// (a megabyte on Xvfb): the pieces make the whole text, or, past what the field takes, the
// field says the paste was too long and gets none of it.
TEST_F(SlowSelection, ALongTextHandedOverInPiecesPastesWholeOrSaysItIsTooLong) {
  const std::string text = longText(1536 * 1024);
  int ended = middleClickPaste(text, plat::kMostPastedBytes, [&] { selectWithXclip(text); });
  EXPECT_EQ(ended, kPasted) << "the field never held the long text";
  ended = middleClickPaste(text, 300 * 1024, [&] { selectWithXclip(text); });
  EXPECT_EQ(ended, kTooLong) << "the field was not told the text was too long";
}

}  // namespace
}  // namespace apptest

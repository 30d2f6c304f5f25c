// The real program in its desktop window under Xvfb: it opens the window, draws the first screen,
// takes mouse clicks as taps, and ends cleanly when asked to close.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <thread>

#include "platform/base/Files.h"
#include "tests/app/XvfbDesktop.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempHome.h"

extern char** environ;

namespace apptest {
namespace {

constexpr double kPhoneWidth = 320;
constexpr double kPhoneHeight = 568;

class ProgramInWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(desktop_.display().empty()) << "Xvfb did not start";
    testsupport::clearProxyEnvironment();
    folder_ = testsupport::makeTempDir("vocab-window");
  }
  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    plat::files::remove(folder_);
  }

  void start() {
    std::map<std::string, std::string> env;
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      const size_t eq = entry.find('=');
      if (eq != std::string::npos) env[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    env["DISPLAY"] = desktop_.display();
    env.erase("WAYLAND_DISPLAY");
    env["VOCAB_HOME"] = folder_ + "/home";
    env["VOCAB_DEVICE_DIR"] = folder_ + "/device";
    env["VOCAB_STORE_LOOKUP"] = store_.url("");
    // The D-Bus library that SDL loads keeps data of its failed bus connection (no session bus
    // here) that the leak checker cannot trace through it; the program's own objects are checked
    // by the headless tests, which run in the test process.
    env["ASAN_OPTIONS"] = "detect_leaks=0:abort_on_error=1";
    std::vector<std::string> entries;
    for (const auto& [key, value] : env) entries.push_back(key + "=" + value);
    std::vector<char*> envp;
    for (std::string& entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string program = VOCAB_PROGRAM;
    char* argv[] = {program.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = folder_ + "/program.log";
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    ASSERT_EQ(posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
  }

  // Pictures go next to the test program, to be looked at after a run.
  static std::string picturePath(const std::string& name) {
    return plat::files::join(std::filesystem::read_symlink("/proc/self/exe").parent_path().string(),
                             name);
  }

  std::string programLog() const {
    std::ifstream in(folder_ + "/program.log");
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  // A rectangle of the phone's screen (points) in screen pixels of the window.
  struct Region {
    int x, y, w, h;
  };
  Region region(double x, double y, double w, double h) const {
    const double sx = frame_.width / kPhoneWidth, sy = frame_.height / kPhoneHeight;
    return {int(frame_.x + x * sx), int(frame_.y + y * sy), int(w * sx), int(h * sy)};
  }
  double changed(const ScreenShot& before, const ScreenShot& after, const Region& r) const {
    return after.changedShare(before, r.x, r.y, r.w, r.h);
  }
  // Screen pictures until `done` holds for one, for up to `seconds`.
  std::optional<ScreenShot> shotWhen(const std::function<bool(const ScreenShot&)>& done,
                                     double seconds = 20) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::optional<ScreenShot> shot;
    do {
      shot = desktop_.screenShot();
      if (shot && done(*shot)) return shot;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    } while (std::chrono::steady_clock::now() < until);
    return std::nullopt;
  }
  // Clicks a point of the phone's screen.
  void tap(double x, double y) const {
    desktop_.click(window_, int(x * frame_.width / kPhoneWidth),
                   int(y * frame_.height / kPhoneHeight));
  }
  // Closes the program as the desktop does and returns its exit status.
  int close() {
    kill(pid_, SIGTERM);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > until) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  XvfbDesktop desktop_;
  testsupport::LoopbackHttpServer store_{
      [](const testsupport::ServerRequest&) { return testsupport::ServerReply::text("{}", 404); }};
  std::string folder_;
  pid_t pid_ = -1;
  std::string window_;
  plat::Rect frame_;
};

TEST_F(ProgramInWindow, OpensTheAppAndTakesClicksAsTaps) {
  start();
  window_ = desktop_.waitForWindow("vocab", 60);
  ASSERT_FALSE(window_.empty()) << programLog();
  frame_ = desktop_.geometry(window_);
  EXPECT_NEAR(frame_.height / frame_.width, kPhoneHeight / kPhoneWidth, 0.01)
      << "the phone's screen, scaled";
  const Region title = region(100, 24, 120, 36), review = region(0, 524, 80, 44),
               books = region(80, 524, 80, 44), settings = region(240, 524, 80, 44);
  std::optional<ScreenShot> before = shotWhen(
      [&](const ScreenShot& s) { return s.hasContent(title.x, title.y, title.w, title.h); });
  ASSERT_TRUE(before) << "the first screen was drawn\n" << programLog();
  before->writePNG(picturePath("window-first-screen.png"));

  tap(120, 543);  // the word-book tab
  std::optional<ScreenShot> after =
      shotWhen([&](const ScreenShot& s) { return changed(*before, s, title) > 0.01; }, 10);
  ASSERT_TRUE(after) << "the screen changed after the click\n" << programLog();
  after->writePNG(picturePath("window-word-books.png"));
  EXPECT_GT(changed(*before, *after, review), 0.005) << "the review tab is no longer selected";
  EXPECT_GT(changed(*before, *after, books), 0.005) << "the word-book tab is";
  EXPECT_EQ(changed(*before, *after, settings), 0) << "the settings tab is untouched";

  EXPECT_EQ(close(), 0) << programLog();
}

}  // namespace
}  // namespace apptest

// The real program in its window under Xvfb shows what the phone showed outside the app: the
// icon badge in the window title, and the network activity indicator turning in the top strip
// while a request runs (the version check's lookup, held by the server), gone after it ended.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/host/StatusStrip.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "tests/app/ProgramProcess.h"
#include "tests/app/XvfbDesktop.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempHome.h"

namespace apptest {
namespace {

constexpr double kPhoneWidth = 320;

// Holds the store's lookup until released, so that a request is under way as long as the test
// needs, however long a busy machine makes its steps; released at the latest when the test ends
// (TearDown).
class HeldLookup {
 public:
  testsupport::ServerReply answer() {
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_ = true;
    released_.wait(lock, [this] { return released; });
    return testsupport::ServerReply::text("{}", 404);
  }
  bool hasArrived() {
    std::lock_guard<std::mutex> lock(mutex_);
    return arrived_;
  }
  void release() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      released = true;
    }
    released_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable released_;
  bool arrived_ = false;
  bool released = false;
};

bool waitUntil(const std::function<bool()>& done, double seconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return true;
}

class DesktopWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::clearProxyEnvironment();
    folder_ = testsupport::makeTempDir("vocab-desktop-window");
  }
  void TearDown() override {
    lookup_.release();
    program_.reset();
    store_.stop();
    plat::files::remove(folder_);
  }

  // The learner planned words in the program's home before its first start.
  void planWords(const std::vector<std::string>& words) {
    ASSERT_TRUE(apptest::planWordsInHome(folder_ + "/home", words));
  }

  // The indicator's square of the screen in pixels, a little larger than the spinner.
  struct Region {
    int x, y, w, h;
  };
  Region indicator() const {
    const double s = frame_.width / kPhoneWidth;
    const plat::Rect spot = plat::StatusStrip::indicatorFrame();
    return {int(frame_.x + (spot.x - 1) * s), int(frame_.y + (spot.y - 1) * s),
            int((spot.width + 2) * s), int((spot.height + 2) * s)};
  }
  // Pixels of the indicator's square that differ between two pictures.
  int changed(const ScreenShot& a, const ScreenShot& b) const {
    const Region r = indicator();
    int count = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
      for (int x = r.x; x < r.x + r.w; ++x) count += a.rgb(x, y) != b.rgb(x, y);
    return count;
  }
  // Pixels of the indicator's square that differ from the strip around it (the colour just left
  // of the square): the spinner's, none when it is gone.
  int spinnerPixels(const ScreenShot& s) const {
    const Region r = indicator();
    const unsigned strip = s.rgb(r.x - 2, r.y + r.h / 2);
    int count = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
      for (int x = r.x; x < r.x + r.w; ++x) count += s.rgb(x, y) != strip;
    return count;
  }
  static std::string picturePath(const std::string& name) {
    return plat::files::join(std::filesystem::read_symlink("/proc/self/exe").parent_path().string(),
                             name);
  }

  HeldLookup lookup_;
  testsupport::LoopbackHttpServer store_{
      [this](const testsupport::ServerRequest&) { return lookup_.answer(); }};
  std::string folder_;
  std::unique_ptr<ProgramProcess> program_;
  XvfbDesktop desktop_;
  plat::Rect frame_;
};

TEST_F(DesktopWindow, TheBadgeIsInTheTitleAndTheIndicatorTurnsWhileARequestRuns) {
  ASSERT_FALSE(desktop_.display().empty()) << "Xvfb did not start";
  planWords({"achieve", "support", "quiet", "close", "teacher"});
  std::map<std::string, std::string> env{{"DISPLAY", desktop_.display()}, {"WAYLAND_DISPLAY", ""}};
  // As in the window test: SDL's D-Bus library keeps data the leak checker cannot trace.
  env["ASAN_OPTIONS"] = "detect_leaks=0:abort_on_error=1";
  program_ = std::make_unique<ProgramProcess>(folder_, store_.url(""), env);
  ASSERT_TRUE(program_->started());
  const std::string window = desktop_.waitForWindow("vocab", XvfbDesktop::kPatience,
                                                    [this] { return program_->wait(0) != -1; });
  ASSERT_FALSE(window.empty()) << program_->log();
  frame_ = desktop_.geometry(window);
  ASSERT_GT(frame_.width, 0);

  // The five planned words are the review queue, and the icon badge shows its count.
  std::string title;
  EXPECT_TRUE(waitUntil(
      [&] {
        title = desktop_.run("xdotool getwindowname " + window);
        return title.find(" (5)") != std::string::npos;
      },
      XvfbDesktop::kPatience))
      << "title: " << title << "\n"
      << program_->log();

  // The version check's lookup goes out at the first activation; the server holds it.
  ASSERT_TRUE(waitUntil([&] { return lookup_.hasArrived(); }, XvfbDesktop::kPatience))
      << program_->log();
  // The spinner shows, and turns: another picture shows it otherwise.
  std::optional<ScreenShot> busy =
      desktop_.shotWhen([&](const ScreenShot& s) { return spinnerPixels(s) > 20; });
  ASSERT_TRUE(busy) << "no indicator while the lookup runs\n" << program_->log();
  busy->writePNG(picturePath("window-indicator-busy.png"));
  EXPECT_TRUE(desktop_.shotWhen([&](const ScreenShot& s) {
    return spinnerPixels(s) > 20 && changed(*busy, s) > 0;
  })) << "the indicator stands still while the lookup runs";

  lookup_.release();
  std::optional<ScreenShot> idle =
      desktop_.shotWhen([&](const ScreenShot& s) { return spinnerPixels(s) == 0; });
  ASSERT_TRUE(idle) << "the indicator stays once the lookup ended\n" << program_->log();
  idle->writePNG(picturePath("window-indicator-idle.png"));

  EXPECT_EQ(program_->terminate(), 0) << program_->log();
}

}  // namespace
}  // namespace apptest

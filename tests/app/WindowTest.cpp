// The real program: in its desktop window under Xvfb it draws the first screen, takes mouse clicks
// as taps and ends cleanly when the window is closed; without a display it draws the first screen
// into a picture and exits.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "platform/draw/Image.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "tests/app/ProgramProcess.h"
#include "tests/app/XvfbDesktop.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempHome.h"

namespace apptest {
namespace {

constexpr double kPhoneWidth = 320;
constexpr double kPhoneHeight = 568;

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::clearProxyEnvironment();
    folder_ = testsupport::makeTempDir("vocab-program");
  }
  void TearDown() override {
    program_.reset();
    plat::files::remove(folder_);
  }
  void start(std::map<std::string, std::string> env) {
    // The D-Bus library that SDL loads keeps data of its failed bus connection (there is no
    // session bus here) where the leak checker cannot trace it; the program's own objects are
    // checked by the tests of the headless host, in the test process.
    env["ASAN_OPTIONS"] = "detect_leaks=0:abort_on_error=1";
    program_ = std::make_unique<ProgramProcess>(folder_, store_.url(""), env);
    ASSERT_TRUE(program_->started());
  }

  // Pictures go next to the test program, to be looked at after a run.
  static std::string picturePath(const std::string& name) {
    return plat::files::join(std::filesystem::read_symlink("/proc/self/exe").parent_path().string(),
                             name);
  }

  testsupport::LoopbackHttpServer store_{
      [](const testsupport::ServerRequest&) { return testsupport::ServerReply::text("{}", 404); }};
  std::string folder_;
  std::unique_ptr<ProgramProcess> program_;
};

class ProgramInWindow : public Program {
 protected:
  // The learner has planned words in the program's home before its first start.
  void planWords(const std::vector<std::string>& words) {
    ASSERT_TRUE(apptest::planWordsInHome(folder_ + "/home", words));
  }

  // A rectangle of the phone's screen (points) in screen pixels.
  struct Region {
    int x, y, w, h;
  };
  Region region(double x, double y, double w, double h) const {
    const double sx = frame_.width / kPhoneWidth, sy = frame_.height / kPhoneHeight;
    return {int(frame_.x + x * sx), int(frame_.y + y * sy), int(w * sx), int(h * sy)};
  }
  static double changed(const ScreenShot& before, const ScreenShot& after, const Region& r) {
    return after.changedShare(before, r.x, r.y, r.w, r.h);
  }
  // Screen pictures until `done` holds for one, for up to `seconds`. The waits are generous: the
  // sanitized program shares a loaded machine with the rest of the suite; they end as soon as the
  // screen is there.
  std::optional<ScreenShot> shotWhen(const std::function<bool(const ScreenShot&)>& done,
                                     double seconds = 45) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
      std::optional<ScreenShot> shot = desktop_.screenShot();
      if (shot && done(*shot)) return shot;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    } while (std::chrono::steady_clock::now() < until);
    return std::nullopt;
  }
  // The screen once an animation has ended (a second without change).
  std::optional<ScreenShot> stillShot(double seconds = 30) const {
    return desktop_.stillScreenShot(1.0, seconds);
  }
  // Clicks a point of the phone's screen.
  void tap(double x, double y) const {
    desktop_.click(window_, int(x * frame_.width / kPhoneWidth),
                   int(y * frame_.height / kPhoneHeight));
  }
  // Taps, waits until more than `share` of the region differs from `before`, and takes the
  // screen once it is still (written as `picture` to look at); nothing when it never changed.
  std::optional<ScreenShot> tapAndWait(double x, double y, const ScreenShot& before,
                                       const Region& r, double share, const std::string& picture) {
    tap(x, y);
    if (!shotWhen([&](const ScreenShot& s) { return changed(before, s, r) > share; })) return {};
    std::optional<ScreenShot> still = stillShot();
    if (still) still->writePNG(picturePath(picture));
    return still;
  }

  XvfbDesktop desktop_;
  std::string window_;
  plat::Rect frame_;
};

TEST_F(ProgramInWindow, OpensTheAppAndTakesClicksAsTaps) {
  ASSERT_FALSE(desktop_.display().empty()) << "Xvfb did not start";
  planWords({"achieve", "support", "quiet", "close", "teacher"});
  start({{"DISPLAY", desktop_.display()}, {"WAYLAND_DISPLAY", ""}});
  window_ = desktop_.waitForWindow("vocab", 60, [this] { return program_->wait(0) != -1; });
  ASSERT_FALSE(window_.empty()) << program_->log();
  frame_ = desktop_.geometry(window_);
  ASSERT_GT(frame_.width, 0) << "the display server gave no size for the window";
  EXPECT_NEAR(frame_.height / frame_.width, kPhoneHeight / kPhoneWidth, 0.01)
      << "the phone's screen, scaled";
  const Region title = region(100, 24, 120, 36), review = region(0, 524, 80, 44),
               books = region(80, 524, 80, 44), settings = region(240, 524, 80, 44),
               guide = region(60, 262, 200, 44);
  // A first start shows the picture guide over the review screen; its button lets the learner in.
  std::optional<ScreenShot> first = shotWhen(
      [&](const ScreenShot& s) { return s.hasContent(guide.x, guide.y, guide.w, guide.h); });
  ASSERT_TRUE(first) << "the first screen was drawn\n" << program_->log();
  first = stillShot();
  ASSERT_TRUE(first);
  first->writePNG(picturePath("window-first-start.png"));
  // The guide ends with the start button of its last picture: its last dot, then the button once
  // that picture has slid in.
  const Region phone = region(0, 0, kPhoneWidth, kPhoneHeight);
  std::optional<ScreenShot> last = tapAndWait(192, 550, *first, phone, 0.01, "window-guide.png");
  ASSERT_TRUE(last) << "the guide turned to its last picture\n" << program_->log();
  std::optional<ScreenShot> before =
      tapAndWait(110, 474, *first, review, 0.005, "window-first-screen.png");
  ASSERT_TRUE(before) << "the guide made way for the review screen\n" << program_->log();

  // The first new word waits for the reveal; then the answer buttons show under its meaning.
  const Region card = region(0, 120, 320, 200), answers = region(10, 447, 300, 46);
  std::optional<ScreenShot> revealed =
      tapAndWait(160, 306, *before, answers, 0.01, "window-revealed.png");  // the reveal button
  ASSERT_TRUE(revealed) << "the answer buttons came\n" << program_->log();
  EXPECT_GT(changed(*before, *revealed, card), 0.01) << "the meaning shows";
  // The wheel scrolls the card under the pointer.
  desktop_.wheelDown(window_, int(160 * frame_.width / kPhoneWidth),
                     int(250 * frame_.height / kPhoneHeight), 3);
  std::optional<ScreenShot> scrolled =
      shotWhen([&](const ScreenShot& s) { return changed(*revealed, s, card) > 0.01; });
  ASSERT_TRUE(scrolled) << "the card scrolled\n" << program_->log();
  scrolled->writePNG(picturePath("window-scrolled.png"));
  std::optional<ScreenShot> next =
      tapAndWait(57, 470, *revealed, answers, 0.01, "window-next-word.png");  // "know"
  ASSERT_TRUE(next) << "the next word came\n" << program_->log();
  EXPECT_GT(changed(*revealed, *next, card), 0.01);
  before = next;

  std::optional<ScreenShot> after =
      tapAndWait(120, 543, *before, title, 0.01, "window-word-books.png");  // the word-book tab
  ASSERT_TRUE(after) << "the screen changed after the click\n" << program_->log();
  EXPECT_GT(changed(*before, *after, review), 0.005) << "the review tab is no longer selected";
  EXPECT_GT(changed(*before, *after, books), 0.005) << "the word-book tab is";
  EXPECT_EQ(changed(*before, *after, settings), 0) << "the settings tab is untouched";

  EXPECT_EQ(program_->terminate(), 0) << program_->log();
}

TEST_F(Program, WithoutADisplayTheFirstScreenBecomesAPicture) {
  start({{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}});
  ASSERT_EQ(program_->wait(), 0) << program_->log();
  const std::string picture = program_->home() + "/first-screen.png";
  EXPECT_NE(program_->log().find(picture), std::string::npos) << program_->log();
  std::shared_ptr<plat::Image> image = plat::Image::fromFile(picture, 2);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->size(), (plat::Size{kPhoneWidth, kPhoneHeight}));
}

}  // namespace
}  // namespace apptest

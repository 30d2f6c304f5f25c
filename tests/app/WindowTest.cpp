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
#include "tests/app/MappedWindows.h"
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
  // Clicks a point of the phone's screen.
  void tap(double x, double y) const {
    desktop_.click(window_, int(x * frame_.width / kPhoneWidth),
                   int(y * frame_.height / kPhoneHeight));
  }
  // The share of the region in colours `pick` takes.
  static double share(const ScreenShot& s, const Region& r,
                      const std::function<bool(unsigned)>& pick) {
    return s.share(r.x, r.y, r.w, r.h, pick);
  }
  static bool green(unsigned c) { return ((c >> 8) & 0xff) > 100 && (c >> 16) < 90; }
  static bool orange(unsigned c) {
    return (c >> 16) > 220 && ((c >> 8) & 0xff) > 120 && ((c >> 8) & 0xff) < 180 && (c & 0xff) < 90;
  }
  // Taps and waits for the screen to show `look`, written as `picture` to look at; nothing when
  // it never did.
  std::optional<ScreenShot> tapUntil(double x, double y,
                                     const std::function<bool(const ScreenShot&)>& look,
                                     const std::string& picture) {
    tap(x, y);
    std::optional<ScreenShot> shown = desktop_.shotWhen(look);
    if (shown) shown->writePNG(picturePath(picture));
    return shown;
  }

  XvfbDesktop desktop_;
  std::string window_;
  plat::Rect frame_;
};

TEST_F(ProgramInWindow, OpensTheAppAndTakesClicksAsTaps) {
  ASSERT_FALSE(desktop_.display().empty()) << "Xvfb did not start";
  planWords({"achieve", "support", "quiet", "close", "teacher"});
  MappedWindows shown(desktop_.display());
  ASSERT_TRUE(shown.watching());
  ASSERT_NO_FATAL_FAILURE(start({{"DISPLAY", desktop_.display()}, {"WAYLAND_DISPLAY", ""}}));
  window_ = desktop_.waitForWindow("vocab", XvfbDesktop::kPatience,
                                   [this] { return program_->wait(0) != -1; });
  ASSERT_FALSE(window_.empty()) << program_->log();
  // One window comes up, and stays: none shown first and made anew for the drawing, whose
  // first self a desktop (or a test) would find and close in vain.
  EXPECT_EQ(shown.seen(), std::vector<unsigned long>{std::stoul(window_)});
  frame_ = desktop_.geometry(window_);
  ASSERT_GT(frame_.width, 0) << "the display server gave no size for the window";
  EXPECT_NEAR(frame_.height / frame_.width, kPhoneHeight / kPhoneWidth, 0.01)
      << "the phone's screen, scaled";
  const Region review = region(0, 524, 80, 44), settings = region(240, 524, 80, 44);
  // Looks of the screens: the guide's page whose dot is green, the review screen's card with
  // its reveal button, the answer buttons under a revealed card, a tab chosen.
  const auto guidePage = [&](int page) {
    const Region dot = region(123.5 + 16 * (page - 1), 546, 8, 8);
    return [=](const ScreenShot& s) { return share(s, dot, green) > 0.3; };
  };
  const Region reveal = region(70, 290, 180, 30), know = region(15, 455, 30, 25),
               vague = region(115, 455, 30, 25);
  const Region startTop = region(60, 443, 100, 5);  // the start button above its title
  const auto reviewCard = [&](const ScreenShot& s) {
    return share(s, reveal, green) > 0.8 && share(s, region(20, 530, 40, 30), green) > 0.03;
  };
  const auto answers = [&](const ScreenShot& s) {
    return share(s, know, green) > 0.8 && share(s, vague, orange) > 0.8;
  };

  // A first start shows the picture guide over the review screen; its button lets the learner in.
  std::optional<ScreenShot> first = desktop_.shotWhen(guidePage(1));
  ASSERT_TRUE(first) << "the first screen was drawn\n" << program_->log();
  first->writePNG(picturePath("window-first-start.png"));
  // The guide ends with the start button of its last picture: its last dot, then the button once
  // that picture has slid in, whole in its place (most of it shows while the picture still moves,
  // and a tap at its middle would miss it).
  std::optional<ScreenShot> last = tapUntil(
      192, 550,
      [&](const ScreenShot& s) { return guidePage(5)(s) && share(s, startTop, orange) > 0.9; },
      "window-guide.png");
  ASSERT_TRUE(last) << "the guide turned to its last picture\n" << program_->log();
  std::optional<ScreenShot> before = tapUntil(110, 474, reviewCard, "window-first-screen.png");
  ASSERT_TRUE(before) << "the guide made way for the review screen\n" << program_->log();

  // The first new word waits for the reveal; then the answer buttons show under its meaning.
  const Region card = region(0, 120, 320, 200);
  std::optional<ScreenShot> revealed = tapUntil(160, 306, answers, "window-revealed.png");
  ASSERT_TRUE(revealed) << "the answer buttons came\n" << program_->log();
  EXPECT_GT(changed(*before, *revealed, card), 0.01) << "the meaning shows";
  // The wheel scrolls the card under the pointer: its text moves, its answer buttons stay.
  desktop_.wheelDown(window_, int(160 * frame_.width / kPhoneWidth),
                     int(250 * frame_.height / kPhoneHeight), 3);
  std::optional<ScreenShot> scrolled = desktop_.shotWhen(
      [&](const ScreenShot& s) { return changed(*revealed, s, card) > 0.01 && answers(s); });
  ASSERT_TRUE(scrolled) << "the card scrolled\n" << program_->log();
  scrolled->writePNG(picturePath("window-scrolled.png"));
  std::optional<ScreenShot> next = tapUntil(57, 470, reviewCard, "window-next-word.png");  // know
  ASSERT_TRUE(next) << "the next word came\n" << program_->log();
  EXPECT_GT(changed(*revealed, *next, card), 0.01);
  before = next;

  const Region books = region(80, 524, 80, 44);
  std::optional<ScreenShot> after = tapUntil(
      120, 543, [&](const ScreenShot& s) { return share(s, books, green) > 0.02; },
      "window-word-books.png");  // the word-book tab
  ASSERT_TRUE(after) << "the word-book tab was chosen\n" << program_->log();
  EXPECT_GT(changed(*before, *after, review), 0.005) << "the review tab is no longer selected";
  EXPECT_GT(changed(*before, *after, books), 0.005) << "the word-book tab is";
  EXPECT_EQ(changed(*before, *after, settings), 0) << "the settings tab is untouched";

  EXPECT_EQ(program_->terminate(), 0) << program_->log();
}

TEST_F(Program, WithoutADisplayTheFirstScreenBecomesAPicture) {
  ASSERT_NO_FATAL_FAILURE(start({{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}));
  ASSERT_EQ(program_->wait(), 0) << program_->log();
  const std::string picture = program_->home() + "/first-screen.png";
  EXPECT_NE(program_->log().find(picture), std::string::npos) << program_->log();
  std::shared_ptr<plat::Image> image = plat::Image::fromFile(picture, 2);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->size(), (plat::Size{kPhoneWidth, kPhoneHeight}));
}

// The word-book tab's badge (the new words still to plan today) on the first screen the program
// draws: at the day's first start, and at a later start of the same day as well.
TEST_F(Program, EveryStartOfTheDayShowsTheWordBookBadge) {
  ASSERT_TRUE(planWordsInHome(folder_ + "/home", {}, [](CallDB& store) {
    store.UpdatePersonalValue("run_machine", "1");  // past the picture guide
    store.UpdatePersonalValue("StudyLimitCount", "12");
  }));
  const auto red = [](const plat::Color& c) { return c.r > 0.8 && c.g < 0.35 && c.b < 0.35; };
  for (const std::string run : {"first", "later"}) {
    SCOPED_TRACE(run);
    const std::string picture = plat::files::join(folder_, "home/first-screen.png");
    plat::files::remove(picture);
    ASSERT_NO_FATAL_FAILURE(start({{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}));
    ASSERT_EQ(program_->wait(), 0) << program_->log();
    std::shared_ptr<plat::Image> image = plat::Image::fromFile(picture, 2);
    ASSERT_TRUE(image);
    std::filesystem::copy_file(picture, picturePath("first-screen-badge-" + run + ".png"),
                               std::filesystem::copy_options::overwrite_existing);
    // The upper half of the word-book tab, where the badge sits on its icon's corner.
    int reds = 0;
    for (double y = 524; y < 546; y += 0.5)
      for (double x = 80; x < 160; x += 0.5) reds += red(image->colorAtPoint({x, y}));
    EXPECT_GT(reds, 100) << "red pixels of the badge";
  }
}

}  // namespace
}  // namespace apptest

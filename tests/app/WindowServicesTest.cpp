// What the window host gives the real program in place of the phone's system, under Xvfb: memory
// warnings from a pressure file, reminders handed to the desktop's scheduler when the program
// closes (stand-ins for systemd-run and systemctl first on the PATH write down their arguments)
// and stopped at the next start, and the tablet window that turns with Ctrl+R.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "platform/base/AppHome.h"
#include "platform/base/Files.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "tests/app/PhoneWindow.h"
#include "tests/app/ProgramProcess.h"
#include "tests/app/XvfbDesktop.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempHome.h"

namespace apptest {
namespace {

using Call = std::vector<std::string>;
const std::string kMemoryLine = "memory: the system is short of memory";

class WindowServices : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::clearProxyEnvironment();
    folder_ = testsupport::makeTempDir("vocab-services");
    ASSERT_FALSE(desktop_.display().empty()) << "Xvfb did not start";
  }
  void TearDown() override {
    program_.reset();
    plat::files::remove(folder_);
  }

  // Starts the program on the desktop and waits for its window.
  void start(std::map<std::string, std::string> env) {
    env["DISPLAY"] = desktop_.display();
    env["WAYLAND_DISPLAY"] = "";
    // See the window test: the D-Bus library SDL loads keeps data the leak checker cannot trace.
    env["ASAN_OPTIONS"] = "detect_leaks=0:abort_on_error=1";
    program_ = std::make_unique<ProgramProcess>(folder_, store_.url(""), env);
    ASSERT_TRUE(program_->started());
    window_ = desktop_.waitForWindow("vocab", XvfbDesktop::kPatience,
                                     [this] { return program_->wait(0) != -1; });
    ASSERT_FALSE(window_.empty()) << program_->log();
    frame_ = desktop_.geometry(window_);
  }
  // Waits for `done`, which the program brings: false once the program has ended without it,
  // or `seconds` passed.
  bool waitFor(const std::function<bool()>& done, double seconds = XvfbDesktop::kPatience) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
      if (program_->wait(0) != -1) return done();
      if (std::chrono::steady_clock::now() > until) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return true;
  }
  int logCount(const std::string& line) const {
    const std::string log = program_->log();
    int count = 0;
    for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++count;
    return count;
  }
  // The program's store before (or between) its runs.
  template <typename Work>
  void withStore(Work work) {
    plat::AppHome::setHome(folder_ + "/home");
    plat::AppHome::ensureFolders();
    CallDB* store = CallDB::callDB();
    ASSERT_TRUE(store->isOpen());
    work(*store);
    CallDB::Release_CallDB();
    plat::AppHome::setHome("");
  }

  // A word that fell due yesterday, with the daily review reminder on at `hhmm`.
  void storeADueWordRemindedAt(const std::string& hhmm) {
    withStore([&](CallDB& store) {
      store.InsertStudyWord("quiet", MyDate::storedTime(MyDate::localDateTime()) - 86400);
      store.sqlMgr().RecordExec(
          "update Study_Log set sl_uLastTestTime = 1, sl_uNextStudyTime = 1 where sl_uWordID = " +
          std::to_string(store.getWordID("quiet")));
      store.UpdatePersonalValue("alarm_setting", "1");
      store.UpdatePersonalValue("time_setting", hhmm);
    });
  }

  // Stand-ins for systemd-run and systemctl, first on the PATH when it starts with bin_: each
  // keeps its call's arguments, NUL-separated, in a file of its own in calls_; systemd-run takes
  // `seconds` first.
  void fakeScheduler(double seconds = 0) {
    bin_ = folder_ + "/bin";
    calls_ = folder_ + "/calls";
    std::filesystem::create_directories(bin_);
    std::filesystem::create_directories(calls_);
    for (const std::string name : {"systemd-run", "systemctl"}) {
      std::ofstream script(bin_ + "/" + name);
      script << "#!/bin/sh\n"
             << (name == "systemd-run" && seconds > 0 ? "sleep " + std::to_string(seconds) : "")
             << "\nprintf '%s\\0' \"" << name << "\" \"$@\" > \"" << calls_ << "/$(date +%s%N)\"\n";
      script.close();
      chmod((bin_ + "/" + name).c_str(), 0755);
    }
  }
  // The calls so far, in order; `take` removes them.
  std::vector<Call> schedulerCalls(bool take) const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(calls_))
      names.push_back(entry.path().string());
    std::sort(names.begin(), names.end());
    std::vector<Call> out;
    for (const std::string& name : names) {
      const std::string text = plat::files::readFile(name).value_or("");
      Call call;
      for (size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos;
           start = end + 1)
        call.push_back(text.substr(start, end - start));
      out.push_back(call);
      if (take) plat::files::remove(name);
    }
    return out;
  }

  testsupport::LoopbackHttpServer store_{
      [](const testsupport::ServerRequest&) { return testsupport::ServerReply::text("{}", 404); }};
  XvfbDesktop desktop_;
  std::string folder_, bin_, calls_;
  std::unique_ptr<ProgramProcess> program_;
  std::string window_;
  plat::Rect frame_;
};

TEST_F(WindowServices, MemoryPressureWarnsTheProgramOncePerEpisode) {
  const std::string pressure = folder_ + "/pressure";
  auto setPressure = [&](double stalled) {
    plat::files::writeFileAtomically(
        pressure, "some avg10=" + std::to_string(stalled) + " avg60=0.00 avg300=0.00 total=1\n");
  };
  setPressure(0);
  ASSERT_NO_FATAL_FAILURE(start({{"VOCAB_MEMORY_PRESSURE", pressure}}));
  setPressure(45);
  ASSERT_TRUE(waitFor([&] { return logCount(kMemoryLine) == 1; })) << program_->log();
  std::this_thread::sleep_for(std::chrono::seconds(3));  // still pressed: three more readings
  EXPECT_EQ(logCount(kMemoryLine), 1);
  setPressure(0);
  std::this_thread::sleep_for(std::chrono::seconds(3));
  setPressure(30);
  EXPECT_TRUE(waitFor([&] { return logCount(kMemoryLine) == 2; })) << program_->log();
  EXPECT_EQ(program_->terminate(), 0) << program_->log();
}

TEST_F(WindowServices, ClosingHandsRemindersToTheDesktopAndTheNextStartStopsThem) {
  fakeScheduler();
  auto takeCalls = [&] { return schedulerCalls(true); };
  auto option = [](const Call& call, const std::string& name) {
    for (const std::string& arg : call)
      if (arg.rfind(name, 0) == 0) return arg.substr(name.size());
    return std::string();
  };

  // A word due now, and the review reminder three minutes from now (UTC, the program's zone).
  const double now = std::time(nullptr);
  const std::time_t at = static_cast<std::time_t>(now) + 180;
  std::tm utc{};
  gmtime_r(&at, &utc);
  char hhmm[8];
  std::strftime(hhmm, sizeof hhmm, "%H:%M", &utc);
  const double fire = static_cast<double>(at - utc.tm_sec);
  storeADueWordRemindedAt(hhmm);
  const std::map<std::string, std::string> env = {{"PATH", bin_ + ":" + std::getenv("PATH")},
                                                  {"TZ", "UTC"}};
  ASSERT_NO_FATAL_FAILURE(start(env));
  ASSERT_TRUE(desktop_.shotWhen([&](const ScreenShot& s) {
    return s.hasContent(int(frame_.x), int(frame_.y), int(frame_.width), int(frame_.height));
  })) << "the window was never drawn";
  takeCalls();  // the first activation's, if any
  ASSERT_EQ(program_->terminate(), 0) << program_->log();

  std::vector<Call> made = takeCalls();
  ASSERT_FALSE(made.empty()) << program_->log();
  std::vector<std::string> units;
  for (const Call& call : made) {
    ASSERT_EQ(call[0], "systemd-run");
    units.push_back(option(call, "--unit="));
  }
  // The first is today's reminder, at its minute, naming the one word due.
  const Call& first = made.front();
  char calendar[40];
  const std::time_t fireSeconds = static_cast<std::time_t>(fire);
  std::tm fireUtc{};
  gmtime_r(&fireSeconds, &fireUtc);
  std::strftime(calendar, sizeof calendar, "%Y-%m-%d %H:%M:%S UTC", &fireUtc);
  EXPECT_EQ(option(first, "--on-calendar="), calendar);
  EXPECT_EQ(first.back(), "有1个单词等着你复习，记得按时复习哦！");
  EXPECT_TRUE(plat::files::exists(folder_ + "/home/Library/Preferences/handed-reminders.txt"));

  // The next start stops exactly those.
  program_.reset();
  ASSERT_NO_FATAL_FAILURE(start(env));
  ASSERT_TRUE(waitFor([&] {
    return std::filesystem::directory_iterator(calls_) != std::filesystem::directory_iterator();
  })) << program_->log();
  made = takeCalls();
  ASSERT_EQ(made.size(), 1u);
  Call expected = {"systemctl", "--user", "stop", "--"};
  for (const std::string& unit : units) {
    expected.push_back(unit + ".timer");
    expected.push_back(unit + ".service");
  }
  EXPECT_EQ(made[0], expected);
  EXPECT_EQ(program_->terminate(), 0) << program_->log();
}

// A desktop scheduler that takes a while for each timer: the window goes on drawing and
// answering taps while focus goes and comes, the stop follows the handover before it, and the
// timers of the closing handover reach it for as long as the program waits, no longer.
TEST_F(WindowServices, FocusChangesNeverWaitForASlowScheduler) {
  fakeScheduler(1.5);
  auto made = [&] {
    std::vector<std::string> programs;
    for (const Call& call : schedulerCalls(false)) programs.push_back(call.at(0));
    return programs;
  };
  // A word due now: a review reminder on each of the next days, one timer each.
  storeADueWordRemindedAt("23:59");
  withStore([](CallDB& store) { store.UpdatePersonalValue("run_machine", "1"); });
  ASSERT_NO_FATAL_FAILURE(start({{"PATH", bin_ + ":" + std::getenv("PATH")}}));
  PhoneWindow phone(desktop_, window_);
  constexpr double kReviewTab[] = {40, 545}, kSettingsTab[] = {280, 545};
  ASSERT_TRUE(phone.when(phone.tabSelected(kReviewTab))) << "no review screen";

  // Another window takes the focus and gives it back.
  desktop_.run("xdotool windowfocus --sync " + window_);
  const std::string other = desktop_.run("xlogo >/dev/null 2>&1 & echo $!");
  const pid_t xlogo = std::atoi(other.c_str());
  const std::string logo = desktop_.waitForWindow("xlogo", XvfbDesktop::kPatience);
  ASSERT_FALSE(logo.empty());
  desktop_.run("xdotool windowfocus --sync " + logo);
  ASSERT_TRUE(waitFor([&] { return !made().empty(); })) << "no handover began";
  desktop_.run("xdotool windowfocus --sync " + window_);
  std::optional<ScreenShot> settings =
      phone.tapUntil(kSettingsTab[0], kSettingsTab[1], phone.tabSelected(kSettingsTab));
  const std::vector<std::string> whenAnswered = made();
  if (xlogo > 0) kill(xlogo, SIGTERM);
  ASSERT_TRUE(settings) << "the tap was never answered\n" << program_->log();
  // Answered in the midst of the handover: before its last timer and before the stop.
  EXPECT_LT(whenAnswered.size(), 12u);
  EXPECT_EQ(std::count(whenAnswered.begin(), whenAnswered.end(), "systemctl"), 0);

  // The stop comes once the handover before it is through.
  ASSERT_TRUE(waitFor([&] { return !made().empty() && made().back() == "systemctl"; }));
  const std::vector<std::string> order = made();
  EXPECT_GT(order.size(), 2u);
  EXPECT_EQ(std::count(order.begin(), order.end(), "systemctl"), 1);
  EXPECT_EQ(program_->terminate(), 0) << program_->log();
  const size_t timers = order.size() - 1, closing = made().size() - order.size();
  EXPECT_GE(closing, 1u) << "the closing handover reached the scheduler";
  EXPECT_LT(closing, timers) << "a slow scheduler holds the closing program a few seconds only";
  EXPECT_EQ(logCount("reminders were not handed over"), 1) << program_->log();
}

// A tap that comes after the focus came back, while the program was too busy to read either:
// the two are read together, and the tap is answered all the same.
TEST_F(WindowServices, ATapReadTogetherWithTheFocusComingBackIsAnswered) {
  withStore([](CallDB& store) { store.UpdatePersonalValue("run_machine", "1"); });
  start({});
  PhoneWindow phone(desktop_, window_);
  constexpr double kReviewTab[] = {40, 545}, kSettingsTab[] = {280, 545};
  ASSERT_TRUE(phone.when(phone.tabSelected(kReviewTab))) << "no review screen";
  const std::string other = desktop_.run("xlogo >/dev/null 2>&1 & echo $!");
  const pid_t xlogo = std::atoi(other.c_str());
  const std::string logo = desktop_.waitForWindow("xlogo", XvfbDesktop::kPatience);
  ASSERT_FALSE(logo.empty());

  kill(program_->pid(), SIGSTOP);
  desktop_.run("xdotool windowfocus --sync " + logo);
  desktop_.run("xdotool windowfocus --sync " + window_);
  phone.tap(kSettingsTab[0], kSettingsTab[1]);
  kill(program_->pid(), SIGCONT);
  const bool answered = bool(phone.when(phone.tabSelected(kSettingsTab)));
  if (xlogo > 0) kill(xlogo, SIGTERM);
  EXPECT_TRUE(answered) << "the tap was dropped\n" << program_->log();
  EXPECT_EQ(program_->terminate(), 0) << program_->log();
}

// A desktop scheduler that hangs: the closing program waits for it a few seconds, not as long as
// the hang, and says which reminders it could not hand over.
TEST_F(WindowServices, ClosingGivesUpOnASchedulerThatHangsAndNamesTheRemindersLeft) {
  fakeScheduler();
  std::ofstream hang(bin_ + "/systemd-run");
  hang << "#!/bin/sh\nexec sleep 600\n";
  hang.close();
  storeADueWordRemindedAt("23:59");
  ASSERT_NO_FATAL_FAILURE(start({{"PATH", bin_ + ":" + std::getenv("PATH")}}));
  ASSERT_TRUE(desktop_.shotWhen([&](const ScreenShot& s) {
    return s.hasContent(int(frame_.x), int(frame_.y), int(frame_.width), int(frame_.height));
  })) << "the window was never drawn";
  const auto closed = std::chrono::steady_clock::now();
  ASSERT_EQ(program_->terminate(), 0) << program_->log();
  const double waited =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - closed).count();
  EXPECT_LT(waited, 30) << "the program waited for the hung scheduler";
  const std::string log = program_->log();
  EXPECT_EQ(logCount("reminders were not handed over"), 1) << log;
  EXPECT_NE(log.find("有1个单词等着你复习，记得按时复习哦！"), std::string::npos) << log;
  EXPECT_TRUE(schedulerCalls(false).empty()) << "no timer was made";
}

// The tablet window, in tablet points of the screen the window shows.
class TabletWindow : public WindowServices {
 protected:
  static constexpr double kWidth = 768, kHeight = 1024;

  // Window pixels per point, in the orientation the window now has.
  double scale() const { return frame_.width / (landscape_ ? kHeight : kWidth); }
  void tap(double x, double y) { desktop_.click(window_, int(x * scale()), int(y * scale())); }
  // A rectangle of points as screen pixels.
  struct Region {
    int x, y, w, h;
  };
  Region region(double x, double y, double w, double h) const {
    return {int(frame_.x + x * scale()), int(frame_.y + y * scale()), int(w * scale()),
            int(h * scale())};
  }
  // Taps (unless `x` is negative) and waits for the screen to show `look`; the picture,
  // written as `name`, or nothing when it never showed.
  std::optional<ScreenShot> tapUntil(double x, double y,
                                     const std::function<bool(const ScreenShot&)>& look,
                                     const std::string& name) {
    if (x >= 0) tap(x, y);
    std::optional<ScreenShot> shown = desktop_.shotWhen(look);
    if (shown)
      shown->writePNG(
          plat::files::join(std::filesystem::read_symlink("/proc/self/exe").parent_path(), name));
    return shown;
  }
  static double share(const ScreenShot& shot, const Region& r,
                      const std::function<bool(unsigned)>& pick) {
    return shot.share(r.x, r.y, r.w, r.h, pick);
  }
  // The tab whose icon is at x on the upright tab bar, in the selected green.
  std::function<bool(const ScreenShot&)> tabSelected(double x) const {
    return [this, x](const ScreenShot& s) {
      return share(s, region(x - 20, 980, 40, 40), PhoneWindow::green) > 0.03 &&
             brightShare(s, region(0, 1015, kWidth, 5)) > 0.5;
    };
  }
  // The share of pixels in the region brighter than `level` in every channel.
  static double brightShare(const ScreenShot& shot, const Region& r, unsigned level = 0xf0) {
    return shot.brightShare(r.x, r.y, r.w, r.h, level);
  }
  void turn() {
    desktop_.run("xdotool key --window " + window_ + " ctrl+r");
    ASSERT_TRUE(waitFor(
        [&] {
          frame_ = desktop_.geometry(window_);
          return frame_.width > frame_.height;
        },
        XvfbDesktop::kPatience))
        << program_->log();
    landscape_ = true;
  }

  bool landscape_ = false;
};

TEST_F(TabletWindow, TabletLayoutsAFormSheetLoginNoKeyboardBarAndATurnThatKeepsThePage) {
  ASSERT_NO_FATAL_FAILURE(start({{"VOCAB_TABLET", "1"}}));
  EXPECT_NEAR(frame_.height / frame_.width, kHeight / kWidth, 0.01) << "a tablet's screen";
  // Through the first-start guide: its last dot, then its start button.
  const auto guideCard = [&](const std::function<bool(unsigned)>& colour) {
    return [=, this](const ScreenShot& s) {
      return share(s, region(150, 120, 460, 120), colour) > 0.8;
    };
  };
  const auto guideRed = [](unsigned c) {
    return (c >> 16) > 200 && ((c >> 8) & 0xff) < 110 && (c & 0xff) < 110;
  };
  ASSERT_TRUE(tapUntil(-1, -1, guideCard(PhoneWindow::green), "tablet-guide.png"));
  // The last picture come to rest: its card red and its start button whole in its place (the
  // card turns red while the picture still slides in, the button well short of where it stops).
  ASSERT_TRUE(tapUntil(
      415, 1005,
      [&](const ScreenShot& s) {
        return guideCard(guideRed)(s) &&
               share(s, region(235, 915, 95, 8), PhoneWindow::orange) > 0.9;
      },
      "tablet-guide-last.png"));
  std::optional<ScreenShot> review = tapUntil(283, 934, tabSelected(95), "tablet-review.png");
  ASSERT_TRUE(review) << program_->log();

  // The login window: its form panel centred on the dimmed screen.
  ASSERT_TRUE(tapUntil(695, 1000, tabSelected(672), "tablet-settings.png"));
  const Region row = region(0, 520, kWidth, 1);
  std::optional<ScreenShot> login = tapUntil(
      119, 86,
      [&](const ScreenShot& s) {
        return brightShare(s, region(0, 900, 768, 60)) < 0.05 &&
               brightShare(s, region(200, 519, 368, 3)) > 0.3;
      },
      "tablet-login.png");  // "登录 / 注册"
  ASSERT_TRUE(login);
  int left = -1, right = -1;
  for (int x = row.x; x < row.x + row.w; ++x) {
    if (brightShare(*login, {x, row.y, 1, 1}) > 0) {
      if (left < 0) left = x;
      right = x;
    }
  }
  ASSERT_GE(left, 0) << "the form panel";
  EXPECT_NEAR((left + right) / 2.0, row.x + row.w / 2.0, row.w * 0.03) << "centred";
  EXPECT_LT(right - left, row.w * 0.6) << "a panel, not the whole screen";
  ASSERT_TRUE(tapUntil(500, 354, tabSelected(672), "tablet-login-closed.png"));  // its close

  // The word-book tab on its text page, turned: the text page stays.
  ASSERT_TRUE(tapUntil(288, 1000, tabSelected(268), "tablet-word-books.png"));
  std::optional<ScreenShot> text = tapUntil(
      577, 43,
      [&](const ScreenShot& s) {
        return brightShare(s, region(0, 120, 768, 400)) > 0.95 && tabSelected(268)(s);
      },
      "tablet-text-page.png");  // "文本"
  ASSERT_TRUE(text) << "the text area fills the page";
  turn();
  std::optional<ScreenShot> turned = tapUntil(
      -1, -1,
      [&](const ScreenShot& s) {
        return brightShare(s, region(600, 44, 300, 10)) > 0.9 &&
               brightShare(s, region(100, 44, 300, 10)) < 0.5 &&
               brightShare(s, region(0, 200, 700, 200)) > 0.95;
      },
      "tablet-text-page-turned.png");
  ASSERT_TRUE(turned) << "the text page with its button selected shows turned";

  // Editing: the keyboard comes without the phone's bar above it.
  std::optional<ScreenShot> typing = tapUntil(
      350, 300,
      [&](const ScreenShot& s) {
        return share(s, region(0, kWidth - 20, 400, 15), [](unsigned c) {
                 return (c >> 16) >= 200 && (c >> 16) <= 218 && (c & 0xff) >= 212 &&
                        (c & 0xff) <= 226;
               }) > 0.5;
      },
      "tablet-keyboard.png");
  ASSERT_TRUE(typing) << "no keyboard";
  EXPECT_GT(brightShare(*typing, region(0, kWidth - 294, 700, 30)), 0.95)
      << "no bar over the keyboard's top edge";
  EXPECT_EQ(program_->terminate(), 0) << program_->log();
}

}  // namespace
}  // namespace apptest

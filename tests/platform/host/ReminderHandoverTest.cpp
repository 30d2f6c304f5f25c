// Reminders handed to the desktop's scheduler: stand-ins for systemd-run and systemctl first on the
// PATH write down every call they get, argument by argument. Resigning hands each pending reminder
// over as one timer with its time and text as they are; the next activation stops exactly those;
// without a service manager the program keeps showing them itself. The programs run beside the
// main thread, in the order they were asked for.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/base/Files.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/NotificationDelivery.h"
#include "platform/host/ReminderHandover.h"
#include "tests/platform/host/SampleApp.h"
#include "tests/support/TempHome.h"

using namespace plat;

namespace {

using Call = std::vector<std::string>;

class ReminderHandoverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bin_ = files::join(home_.path(), "bin");
    calls_ = files::join(home_.path(), "calls");
    std::filesystem::create_directories(bin_);
    std::filesystem::create_directories(calls_);
    fake("systemd-run", 0);
    fake("systemctl", 0);
    oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin_ + ":" + oldPath_).c_str(), 1);
    host_.launch();
    host_.clock()->setZone(TimeZone::fixed(8 * 3600));
  }
  void TearDown() override {
    setenv("PATH", oldPath_.c_str(), 1);
    Application::shared().cancelAllLocalNotifications();
  }

  // A program that keeps its arguments, NUL-separated, in a file of its own and exits `status`,
  // after `before` (shell commands) has run.
  void fake(const std::string& name, int status, const std::string& before = "") {
    const std::string path = files::join(bin_, name);
    std::ofstream script(path);
    script << "#!/bin/sh\n"
           << before << "\nprintf '%s\\0' \"" << name << "\" \"$@\" > \"" << calls_
           << "/$(date +%s%N)-" << name << "\"\nexit " << status << "\n";
    script.close();
    chmod(path.c_str(), 0755);
  }
  // The calls so far, in order.
  std::vector<Call> calls() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(calls_)) {
      names.push_back(entry.path().string());
    }
    std::sort(names.begin(), names.end());
    std::vector<Call> out;
    for (const std::string& name : names) {
      Call call;
      std::string text = files::readFile(name).value_or("");
      for (size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos;
           start = end + 1) {
        call.push_back(text.substr(start, end - start));
      }
      out.push_back(call);
      files::remove(name);
    }
    return out;
  }
  // A reminder at a local-as-GMT date, as the app schedules them.
  LocalNotification reminderIn(double seconds, const std::string& body) {
    LocalNotification n;
    n.fireDate = host_.clock()->now() + 8 * 3600 + seconds;
    n.timeZoneName = "GMT";
    n.alertBody = body;
    return n;
  }
  static std::string argument(const Call& call, const std::string& option) {
    for (const std::string& arg : call) {
      if (arg.rfind(option, 0) == 0) return arg.substr(option.size());
    }
    return "";
  }

  testsupport::TempHome home_;
  std::string bin_, calls_, oldPath_;
  std::shared_ptr<testsupport::SampleApp> app_ = std::make_shared<testsupport::SampleApp>();
  HeadlessHost host_{app_};
};

}  // namespace

TEST_F(ReminderHandoverTest, ClosingHandsOverEachReminderAndTheNextStartStopsThem) {
  const std::string record = files::join(home_.path(), "handed.txt");
  auto handover = std::make_unique<ReminderHandover>(record);
  handover->attach();
  const std::string body = "[顽固词]it's \"quiet\"\n安静的\n$HOME 100%";
  const LocalNotification reminder = reminderIn(120, body);
  Application::shared().scheduleLocalNotification(reminder);
  // One already due stays with the program, which shows it at once.
  Application::shared().scheduleLocalNotification(reminderIn(-5, "overdue"));

  host_.enterBackground();
  host_.terminate();
  handover->finish();
  std::vector<Call> made = calls();
  ASSERT_EQ(made.size(), 1u);
  const Call& timer = made[0];
  EXPECT_EQ(timer[0], "systemd-run");
  EXPECT_NE(std::find(timer.begin(), timer.end(), "--user"), timer.end());
  EXPECT_EQ(argument(timer, "--on-calendar="),
            ReminderHandover::calendarTime(host_.clock()->now() + 120));
  ASSERT_GE(timer.size(), 5u);
  const Call shown(timer.end() - 5, timer.end());
  EXPECT_EQ(shown, (Call{"--", "notify-send", "--", NotificationDelivery::title(),
                         "[顽固词]it's \"quiet\"\n安静的\n$$HOME 100%"}))
      << "the text as it is; the service manager reads $$ as one $";
  const std::string unit = argument(timer, "--unit=");
  EXPECT_EQ(unit.rfind("vocab-reminder-", 0), 0u) << unit;
  EXPECT_TRUE(handover->isHandedOver(reminder));

  // The program ends; the next one's first activation stops exactly that timer.
  handover.reset();
  ReminderHandover next(record);
  next.attach();
  host_.becomeActive();
  next.finish();
  made = calls();
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(made[0], (Call{"systemctl", "--user", "stop", "--", unit + ".timer",
                           unit + ".service"}));
  EXPECT_FALSE(files::exists(record));
  host_.resignActive();
  host_.becomeActive();
  next.finish();
  made = calls();
  ASSERT_EQ(made.size(), 2u) << "a handover and its cancel each time";
  EXPECT_NE(argument(made[0], "--unit="), unit) << "timer names are never reused";
}

TEST_F(ReminderHandoverTest, WithoutAServiceManagerTheProgramKeepsShowingThem) {
  fake("systemd-run", 1,
       "echo 'Failed to connect to bus: No medium found' >&2\n"
       "echo 'Failed to connect to bus: No medium found' >&2");
  ReminderHandover handover(files::join(home_.path(), "handed.txt"));
  handover.attach();
  std::vector<std::string> shown;
  NotificationDelivery delivery([&](const LocalNotification& n) {
    if (!handover.isHandedOver(n)) shown.push_back(n.alertBody);
  });
  Application::shared().scheduleLocalNotification(reminderIn(60, "first"));
  Application::shared().scheduleLocalNotification(reminderIn(90, "second"));
  ::testing::internal::CaptureStderr();
  host_.resignActive();
  handover.finish();
  const std::string terminal = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(handover.schedulerMissing());
  EXPECT_EQ(calls().size(), 1u) << "one try, not one per reminder";
  EXPECT_EQ(terminal.rfind("reminders: no user service manager answers (systemd-run --user: "
                           "Failed to connect to bus: No medium found)",
                           0),
            0u)
      << terminal;
  EXPECT_EQ(std::count(terminal.begin(), terminal.end(), '\n'), 1) << "one line, the program's";
  host_.advance(100);
  delivery.deliverDue();
  EXPECT_EQ(shown, (std::vector<std::string>{"first", "second"}));

  // Handed over, a reminder is the scheduler's to show.
  fake("systemd-run", 0);
  ReminderHandover working(files::join(home_.path(), "other.txt"));
  Application::shared().scheduleLocalNotification(reminderIn(60, "third"));
  EXPECT_EQ(working.handOver(), 1);
  working.finish();
  host_.advance(100);
  NotificationDelivery program([&](const LocalNotification& n) {
    if (!working.isHandedOver(n)) shown.push_back(n.alertBody);
  });
  program.deliverDue();
  EXPECT_EQ(shown.size(), 2u);
}

TEST_F(ReminderHandoverTest, TheSchedulersComplaintReachesTheTerminalWithItsControlsEscaped) {
  fake("systemd-run", 1, "printf 'Failed \\033[2J\\033]0;owned\\007 to connect\\r\\nmore' >&2");
  ReminderHandover handover(files::join(home_.path(), "handed.txt"));
  handover.attach();
  Application::shared().scheduleLocalNotification(reminderIn(60, "first"));
  ::testing::internal::CaptureStderr();
  host_.resignActive();
  handover.finish();
  const std::string terminal = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(terminal.find("(systemd-run --user: Failed \\e[2J\\e]0;owned\\x07 to connect\\r); "),
            std::string::npos)
      << terminal;
  EXPECT_EQ(terminal.find_first_of("\x1b\x07\r"), std::string::npos) << terminal;
}

TEST_F(ReminderHandoverTest, SlowSchedulersNeverHoldTheMainThreadAndRunInTheOrderAsked) {
  fake("systemd-run", 0, "sleep 1");
  const std::string record = files::join(home_.path(), "handed.txt");
  ReminderHandover handover(record);
  handover.attach();
  for (int i = 0; i < 3; ++i)
    Application::shared().scheduleLocalNotification(reminderIn(60 + i, "r" + std::to_string(i)));

  // Focus goes and comes twice: the main thread goes on at once.
  const auto start = std::chrono::steady_clock::now();
  host_.resignActive();
  host_.becomeActive();
  host_.resignActive();
  const double waited =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(waited, 0.5) << "three timers take three seconds to make";

  // Every stop follows the handover before it: the first three timers are stopped, the last
  // three are what the record keeps.
  handover.finish();
  const std::vector<Call> made = calls();
  ASSERT_EQ(made.size(), 7u);
  std::vector<std::string> first, second;
  for (int i = 0; i < 3; ++i) first.push_back(argument(made[i], "--unit="));
  EXPECT_EQ(made[3][0], "systemctl");
  EXPECT_EQ(made[3][4], first[0] + ".timer");
  EXPECT_EQ(made[3].size(), 4u + 6u) << "all three of the first handover";
  for (int i = 4; i < 7; ++i) second.push_back(argument(made[i], "--unit="));
  std::string expected;
  for (const std::string& unit : second) expected += unit + "\n";
  EXPECT_EQ(files::readFile(record).value_or(""), expected);
  EXPECT_TRUE(handover.isHandedOver(Application::shared().scheduledLocalNotifications().at(0)));
}

TEST_F(ReminderHandoverTest, AClosingProgramWaitsForItsHandoverToReachTheScheduler) {
  fake("systemd-run", 0, "sleep 1");
  const std::string record = files::join(home_.path(), "handed.txt");
  {
    ReminderHandover handover(record);
    handover.attach();
    Application::shared().scheduleLocalNotification(reminderIn(60, "tomorrow"));
    host_.resignActive();
  }
  EXPECT_EQ(calls().size(), 1u);
  EXPECT_TRUE(files::exists(record));
}

// A scheduler that hangs holds a closing program a few seconds at most: what it was running is
// killed with all it started, the timers made so far stay in the record (the hung one too, which
// may have been made), and the reminders it did not take are named on the terminal.
TEST_F(ReminderHandoverTest, AClosingProgramGivesUpOnASchedulerThatHangsAndSaysWhatItKept) {
  const std::string pids = files::join(home_.path(), "hung.pid");
  // The first call answers; every later one hangs, as a scheduler gone stuck does.
  fake("systemd-run", 0,
       "if [ -n \"$(ls '" + calls_ + "')\" ]; then echo $$ >> '" + pids + "'; exec sleep 120; fi");
  const std::string record = files::join(home_.path(), "handed.txt");
  for (int i = 0; i < 3; ++i) {
    Application::shared().scheduleLocalNotification(
        reminderIn(3600 * (i + 1), "r" + std::to_string(i) + "\n第二行"));
  }
  ::testing::internal::CaptureStderr();
  const auto start = std::chrono::steady_clock::now();
  {
    ReminderHandover handover(record);
    handover.attach();
    host_.resignActive();
  }
  const double waited =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const std::string terminal = ::testing::internal::GetCapturedStderr();
  EXPECT_GE(waited, ReminderHandover::kLastWaitSeconds);
  EXPECT_LT(waited, ReminderHandover::kLastWaitSeconds + 3) << "bounded, not as long as the hang";

  const std::vector<Call> made = calls();
  ASSERT_EQ(made.size(), 1u) << "the first timer only; after the hang nothing more was tried";
  const std::string firstUnit = argument(made[0], "--unit=");
  const std::string kept = files::readFile(record).value_or("");
  EXPECT_EQ(kept.rfind(firstUnit + "\n", 0), 0u) << kept;
  EXPECT_EQ(std::count(kept.begin(), kept.end(), '\n'), 2) << "the one made, the one that hung";

  EXPECT_NE(terminal.find("did not answer within"), std::string::npos) << terminal;
  EXPECT_EQ(terminal.find("r0"), std::string::npos) << "that one was handed over\n" << terminal;
  EXPECT_NE(terminal.find("r1 / 第二行"), std::string::npos) << terminal;
  EXPECT_NE(terminal.find("r2 / 第二行"), std::string::npos) << terminal;

  const std::string hung = files::readFile(pids).value_or("");
  ASSERT_FALSE(hung.empty());
  EXPECT_NE(kill(std::atoi(hung.c_str()), 0), 0) << "the hung program was ended";
}

#include "platform/host/ReminderHandover.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <sstream>
#include <thread>

#include "platform/base/AppHome.h"
#include "platform/base/Clock.h"
#include "platform/base/Files.h"
#include "platform/base/NotificationCenter.h"
#include "platform/base/PrintableText.h"
#include "platform/host/ChildProgram.h"
#include "platform/host/NotificationDelivery.h"

namespace plat {
namespace {

constexpr const char* kRecordName = "handed-reminders.txt";

// The service manager expands $NAME in a command's arguments when it runs it; "$$" is its
// literal dollar sign.
std::string withLiteralDollars(const std::string& text) {
  std::string out;
  for (char c : text) {
    out += c;
    if (c == '$') out += '$';
  }
  return out;
}

// A short tag of the record's path: two app homes of one user never share timer names.
std::string tagOf(const std::string& text) {
  uint32_t hash = 2166136261u;
  for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
  char tag[9];
  std::snprintf(tag, sizeof tag, "%08x", hash);
  return tag;
}

std::vector<std::string> readRecord(const std::string& path) {
  std::vector<std::string> units;
  std::istringstream lines(files::readFile(path).value_or(""));
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) units.push_back(line);
  }
  return units;
}

}  // namespace

ReminderHandover::ReminderHandover(std::string recordFile) : recordFile_(std::move(recordFile)) {
  children_.setMaxConcurrentOperationCount(1);
}

ReminderHandover::~ReminderHandover() {
  detach();
  // The reminders of a closing program still reach the scheduler, unless it hangs: the learner
  // closed the program and is not kept waiting for long.
  if (!finishWithin(kLastWaitSeconds)) giveUp();
}

void ReminderHandover::attach() {
  if (attached_) return;
  attached_ = true;
  NotificationCenter& center = NotificationCenter::defaultCenter();
  // Both come after the application delegate: it schedules the reminders on resigning and cancels
  // its own on becoming active.
  center.addObserver(this, kApplicationWillResignActiveNotification, nullptr,
                     [this](const Notification&) { handOver(); });
  center.addObserver(this, kApplicationDidBecomeActiveNotification, nullptr,
                     [this](const Notification&) { cancelHandedOver(); });
}

void ReminderHandover::detach() {
  if (!attached_) return;
  attached_ = false;
  NotificationCenter::defaultCenter().removeObserver(this);
}

void ReminderHandover::finish() {
  children_.waitUntilAllOperationsAreFinished();
}

bool ReminderHandover::finishWithin(double seconds) {
  // The desktop's time, not the application's clock: tests hold that one still.
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (children_.operationCount() > 0) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

void ReminderHandover::giveUp() {
  {
    LockGuard<Mutex> hold(lock_);
    givenUp_ = true;
  }
  // Quick now: the program running is killed within a moment and nothing else starts.
  finish();
  std::vector<Handed> left;
  {
    LockGuard<Mutex> hold(lock_);
    left.swap(waiting_);
  }
  if (left.empty()) return;
  std::string list;
  for (const Handed& reminder : left) {
    const std::time_t seconds = static_cast<std::time_t>(std::ceil(reminder.fireTime));
    std::tm local{};
    localtime_r(&seconds, &local);
    char when[24];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &local);
    std::string body = reminder.body;
    for (size_t at = 0; (at = body.find('\n', at)) != std::string::npos;)
      body.replace(at, 1, " / ");
    list += std::string("  ") + when + "  " + body + "\n";
  }
  std::fprintf(stderr,
               "reminders: the desktop's scheduler did not answer within %g seconds; these "
               "reminders were not handed over and will not show once the program has ended:\n%s",
               kLastWaitSeconds, list.c_str());
}

bool ReminderHandover::givenUp() const {
  LockGuard<Mutex> hold(lock_);
  return givenUp_;
}

void ReminderHandover::settle(const Handed& reminder) {
  LockGuard<Mutex> hold(lock_);
  for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
    if (it->fireTime == reminder.fireTime && it->body == reminder.body) {
      waiting_.erase(it);
      return;
    }
  }
}

bool ReminderHandover::schedulerMissing() const {
  LockGuard<Mutex> hold(lock_);
  return schedulerMissing_;
}

int ReminderHandover::handOver() {
  if (schedulerMissing()) return 0;
  const double now = Clock::current().now();
  // The time, the process and the count of handovers in it: no two handovers share a name.
  static int handovers = 0;
  const std::string prefix = unitPrefix() + std::to_string(static_cast<int64_t>(now)) + "-" +
                             std::to_string(getpid()) + "-" + std::to_string(++handovers) + "-";
  std::vector<Timer> timers;
  for (const LocalNotification& notification :
       Application::shared().scheduledLocalNotifications()) {
    const double fireTime = NotificationDelivery::fireTime(notification);
    if (fireTime <= now) continue;  // due now: the program shows it itself
    const std::string unit = prefix + std::to_string(timers.size() + 1);
    timers.push_back(
        {unit,
         {fireTime, notification.alertBody},
         timerArguments(unit, fireTime, NotificationDelivery::title(), notification.alertBody)});
  }
  {
    LockGuard<Mutex> hold(lock_);
    for (const Timer& timer : timers) waiting_.push_back(timer.reminder);
  }
  // A record left by a handover that no activation followed (the program was killed) goes first.
  children_.addOperation([this, timers] {
    stopRecorded();
    makeTimers(timers);
  });
  return static_cast<int>(timers.size());
}

void ReminderHandover::cancelHandedOver() {
  children_.addOperation([this] { stopRecorded(); });
}

void ReminderHandover::makeTimers(const std::vector<Timer>& timers) {
  if (givenUp()) return;
  if (schedulerMissing()) {
    for (const Timer& timer : timers) settle(timer.reminder);
    return;
  }
  std::vector<std::string> units;
  for (const Timer& timer : timers) {
    if (givenUp()) break;
    std::string complaint;
    const int status = runChildProgram(timer.arguments, &complaint, [this] { return givenUp(); });
    if (givenUp()) {
      // Killed midway, it may have made its timer all the same: the next start stops it too.
      units.push_back(timer.unit);
      break;
    }
    settle(timer.reminder);
    if (status != 0) {
      if (!units.empty()) continue;  // this one stays with the program
      // Another program's words: printed with its control characters escaped.
      const std::string cause = printableText(complaint.substr(0, complaint.find('\n')));
      std::fprintf(stderr,
                   "reminders: no user service manager answers (systemd-run --user: %s); "
                   "reminders show only while the program runs\n",
                   cause.empty() ? "it could not be started" : cause.c_str());
      LockGuard<Mutex> hold(lock_);
      schedulerMissing_ = true;
      waiting_.clear();
      return;
    }
    units.push_back(timer.unit);
    LockGuard<Mutex> hold(lock_);
    handed_.push_back(timer.reminder);
  }
  if (units.empty()) return;
  std::string record;
  for (const std::string& unit : units) record += unit + "\n";
  if (!files::writeFileAtomically(recordFile_, record)) {
    std::fprintf(stderr, "reminders: cannot keep the timers handed over in %s\n",
                 recordFile_.c_str());
  }
}

void ReminderHandover::stopRecorded() {
  if (givenUp()) return;
  {
    LockGuard<Mutex> hold(lock_);
    handed_.clear();
  }
  const std::vector<std::string> units = readRecord(recordFile_);
  if (units.empty()) return;
  std::vector<std::string> stop = {"systemctl", "--user", "stop", "--"};
  for (const std::string& unit : units) {
    stop.push_back(unit + ".timer");
    stop.push_back(unit + ".service");
  }
  // A timer that already fired and went is no longer there: that failure changes nothing, and
  // what systemctl says of it is no news for the terminal.
  std::string ignored;
  runChildProgram(stop, &ignored, [this] { return givenUp(); });
  // Stopped, or gone already; a stop cut short leaves the record for the next start.
  if (!givenUp()) files::remove(recordFile_);
}

bool ReminderHandover::isHandedOver(const LocalNotification& notification) const {
  const double fireTime = NotificationDelivery::fireTime(notification);
  LockGuard<Mutex> hold(lock_);
  for (const Handed& handed : handed_) {
    if (handed.fireTime == fireTime && handed.body == notification.alertBody) return true;
  }
  return false;
}

std::vector<std::string> ReminderHandover::timerArguments(const std::string& unit,
                                                          double fireTime,
                                                          const std::string& title,
                                                          const std::string& body) {
  std::vector<std::string> args = {"systemd-run",
                                   "--user",
                                   "--quiet",
                                   "--collect",
                                   "--unit=" + unit,
                                   "--description=" + withLiteralDollars(title) + " reminder",
                                   "--on-calendar=" + calendarTime(fireTime),
                                   "--timer-property=AccuracySec=1s"};
  // notify-send reaches the desktop through the session bus this program knows.
  if (const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS"); bus && *bus) {
    args.push_back(std::string("--setenv=DBUS_SESSION_BUS_ADDRESS=") + bus);
  }
  for (const std::string& arg : {std::string("--"), std::string("notify-send"), std::string("--"),
                                 withLiteralDollars(title), withLiteralDollars(body)}) {
    args.push_back(arg);
  }
  return args;
}

std::string ReminderHandover::calendarTime(double unixTime) {
  const std::time_t seconds = static_cast<std::time_t>(std::ceil(unixTime));
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
  return text;
}

std::string ReminderHandover::defaultRecordFile() {
  return files::join(AppHome::preferencesDir(), kRecordName);
}

std::string ReminderHandover::unitPrefix() const {
  return "vocab-reminder-" + tagOf(recordFile_) + "-";
}

}  // namespace plat

// Hands the application's pending local notifications to the desktop's scheduler, so that they
// show when due even after the program has ended, as the phone's system delivers them: when the
// application resigns active, one systemd user timer per notification runs notify-send at its fire
// time. The names of the timers handed over are kept in a record file of the app home; the next
// activation, in this run or a later one, stops exactly those and clears the record.
//
// The scheduler's programs run on a worker of the handover's own, one at a time in the order the
// application asked (a stop never overtakes a later handover), so a focus change never waits for
// them; releasing the handover waits until they have all run, so the reminders of a closing
// program reach the scheduler, but no longer than kLastWaitSeconds: a scheduler that hangs is
// then given up (the program running is killed, the rest are not started) and the reminders it
// did not take are named on standard error. Where no user service manager answers (systemd-run
// fails), that is said once on standard error in the program's own words (the scheduler's
// complaints stay off the terminal) and the reminders are left to the program's own delivery while
// it runs. Every program is run with its arguments as they are, never through a shell. Called on
// the main thread.
#pragma once

#include <string>
#include <vector>

#include "platform/base/Mutex.h"
#include "platform/base/OperationQueue.h"
#include "platform/view/Application.h"

namespace plat {

class ReminderHandover {
 public:
  // `recordFile`: where the names of the timers handed over are kept.
  explicit ReminderHandover(std::string recordFile = defaultRecordFile());
  ~ReminderHandover();
  ReminderHandover(const ReminderHandover&) = delete;
  ReminderHandover& operator=(const ReminderHandover&) = delete;

  // Hands over on every resignation and cancels on every activation, until detach().
  void attach();
  void detach();

  // Queues the handover of every pending notification whose time is still to come (after a stop
  // of the timers of the record); how many timers were asked for. Nothing when the scheduler was
  // found missing before.
  int handOver();
  // Queues a stop of the timers of the record, which then is cleared.
  void cancelHandedOver();
  // The longest a closing program waits for the scheduler.
  static constexpr double kLastWaitSeconds = 4;

  // Waits until everything queued has run.
  void finish();
  // Waits until everything queued has run, for up to `seconds`; false when some is still to run.
  bool finishWithin(double seconds);
  // Ends what is queued: the program running is killed, the others are not started. The timers
  // made so far stay in the record; the reminders not handed over are named on standard error.
  void giveUp();
  // Whether the notification is with the scheduler, which will show it (the program does not).
  bool isHandedOver(const LocalNotification& notification) const;
  bool schedulerMissing() const;

  // The systemd-run arguments of one timer: unit `unit` firing at `fireTime` (Unix time), showing
  // `title` and `body` with notify-send.
  static std::vector<std::string> timerArguments(const std::string& unit, double fireTime,
                                                 const std::string& title,
                                                 const std::string& body);
  // "2023-11-15 02:02:00 UTC", a calendar time the scheduler reads.
  static std::string calendarTime(double unixTime);
  // The Library/Preferences file of the app home that keeps the record.
  static std::string defaultRecordFile();

 private:
  struct Handed {
    double fireTime;
    std::string body;
  };
  struct Timer {
    std::string unit;
    Handed reminder;
    std::vector<std::string> arguments;
  };
  std::string unitPrefix() const;
  bool givenUp() const;
  void settle(const Handed& reminder);
  // On the worker.
  void makeTimers(const std::vector<Timer>& timers);
  void stopRecorded();

  const std::string recordFile_;
  bool attached_ = false;  // main thread
  mutable Mutex lock_;
  std::vector<Handed> handed_ GUARDED_BY(lock_);
  std::vector<Handed> waiting_ GUARDED_BY(lock_);  // queued, not yet with the scheduler
  bool givenUp_ GUARDED_BY(lock_) = false;
  bool schedulerMissing_ GUARDED_BY(lock_) = false;
  OperationQueue children_;  // width 1: the programs run in the order they were queued
};

}  // namespace plat

// Hands the application's pending local notifications to the desktop's scheduler, so that they
// show when due even after the program has ended, as the phone's system delivers them: when the
// application resigns active, one systemd user timer per notification runs notify-send at its fire
// time. The names of the timers handed over are kept in a record file of the app home; the next
// activation, in this run or a later one, stops exactly those and clears the record.
//
// Where no user service manager answers (systemd-run fails), that is said once on standard error
// and the reminders are left to the program's own delivery while it runs. Every program is run
// with its arguments as they are, never through a shell. Main thread only.
#pragma once

#include <string>
#include <vector>

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

  // Hands every pending notification whose time is still to come to the scheduler; how many
  // timers were made. Nothing when the scheduler was found missing before.
  int handOver();
  // Stops the timers of the record and clears it.
  void cancelHandedOver();
  // Whether the notification is with the scheduler, which will show it (the program does not).
  bool isHandedOver(const LocalNotification& notification) const;
  bool schedulerMissing() const { return schedulerMissing_; }

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
  std::string unitPrefix() const;

  std::string recordFile_;
  std::vector<Handed> handed_;
  bool attached_ = false;
  bool schedulerMissing_ = false;
};

}  // namespace plat

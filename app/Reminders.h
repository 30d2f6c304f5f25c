// The local notifications scheduled when the application resigns active: the daily review
// reminder on each of the next 15 days with due reviews, and the stubborn-word reminders spread
// one to two hours apart inside the learner's daily window. The application delegate sends both
// on resigning; becoming active cancels every pending notification.
#pragma once

#include <cstdint>
#include <string>

namespace plat {
struct LocalNotification;
}

class Reminders {
 public:
  // Review reminders: "alarm_setting" on and a "time_setting" of "HH:mm".
  static void postLocalNotification();
  // Stubborn-word reminders: "forgetword_remind" on and an account stored; the window is
  // "remind_time1" to "remind_time2" (default 08:00 to 21:00), over midnight when it ends first.
  static void forgetWord_Remind();

  // The notification firing at a local-as-GMT date: it fires at that local wall-clock time.
  static plat::LocalNotification notificationAt(double date, const std::string& body);

  // Seconds of the day of an "HH:mm" setting; each part read as a leading integer (0 when none).
  static int64_t secondsOfDay(const std::string& hhmm);
};

#include "app/Reminders.h"

#include <cctype>
#include <string>

#include "learn/TextTemplate.h"
#include "platform/base/Bundle.h"
#include "platform/base/Clock.h"
#include "platform/base/NamedException.h"
#include "platform/base/Random.h"
#include "platform/view/Application.h"
#include "store/CallDB.h"
#include "store/MyDate.h"

namespace {

constexpr int kReviewReminderDays = 15;
constexpr int64_t kDay = MyDate::kSecondsPerDay;
const char* const kDefaultSoundName = "UILocalNotificationDefaultSoundName";

// The leading integer of a text, as settings are read: "09" is 9, "x" is 0.
int64_t leadingInteger(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && value < kDay; ++i)
    value = value * 10 + (text[i] - '0');
  return negative ? -value : value;
}

// A date's wall-clock time of day to the minute, as its "HH:mm" reads.
int64_t minuteOfDay(double date) {
  const int64_t intoDay = MyDate::storedTime(date) - MyDate::dayStart(date);
  return intoDay / 60 * 60;
}

// The learner's daily window for stubborn-word reminders; its bounds count as inside.
struct ReminderWindow {
  int64_t start;  // t1
  int64_t end;    // t2; before the start when the window runs over midnight

  bool isQuiet(int64_t m) const {
    if (start < end) return m < start || m > end;
    if (start > end) return m > end && m < start;
    return false;
  }
  int64_t quietLength() const {
    if (start < end) return start + kDay - end;
    return start - end;
  }
  // Where the first reminder counts from: now, or the window's next start while it is closed.
  double firstFrom(double now) const {
    const int64_t c = minuteOfDay(now);
    const double today = static_cast<double>(MyDate::dayStart(now));
    if (start < end) {
      if (c < start) return today + static_cast<double>(start);
      if (c > end) return today + static_cast<double>(kDay + start);
    } else if (start > end && c > end && c < start) {
      return today + static_cast<double>(start);
    }
    return now;
  }
  // Moves a fire date out of the quiet time. A window shorter than the spacing can leave the
  // shifted date still outside; it then waits for the window's next start.
  double placed(double fire) const {
    if (!isQuiet(minuteOfDay(fire))) return fire;
    fire += static_cast<double>(quietLength());
    if (!isQuiet(minuteOfDay(fire))) return fire;
    double next = static_cast<double>(MyDate::dayStart(fire) + start);
    if (next < fire) next += static_cast<double>(kDay);
    return next;
  }
};

std::string settingOr(CallDB& db, const std::string& key, const std::string& fallback) {
  std::string value = db.getPersonalValue(key);
  return value.empty() ? fallback : value;
}

}  // namespace

int64_t Reminders::secondsOfDay(const std::string& hhmm) {
  const size_t colon = hhmm.find(':');
  const int64_t hour = leadingInteger(hhmm.substr(0, colon));
  const int64_t minute = colon == std::string::npos ? 0 : leadingInteger(hhmm.substr(colon + 1));
  return hour * 3600 + minute * 60;
}

plat::LocalNotification Reminders::notificationAt(double date, const std::string& body) {
  plat::LocalNotification notification;
  notification.fireDate = date + plat::kReferenceDateOffset;
  notification.timeZoneName = "GMT";
  notification.alertBody = body;
  notification.alertAction = plat::localized("打开");
  notification.soundName = kDefaultSoundName;
  return notification;
}

void Reminders::postLocalNotification() {
  CallDB& db = *CallDB::callDB();
  const std::string time = db.getPersonalValue("time_setting");
  if (db.getPersonalValue("alarm_setting") != "1" || time.empty()) return;

  const double now = MyDate::localDateTime();
  // The reminder time on the date of the current study day, which before 03:00 is yesterday's.
  const double first =
      static_cast<double>(MyDate::dayStart(MyDate::DateDev3Hour(now)) + secondsOfDay(time));
  const std::string format = plat::localized("appdelegate_eg1");
  for (int i = 0; i < kReviewReminderDays; ++i) {
    const double fire = first + static_cast<double>(i * kDay);
    if (fire <= now) continue;
    const int due = db.GetReviewWordsCount(fire);
    if (due == 0) continue;
    plat::Application::shared().scheduleLocalNotification(
        notificationAt(fire, TextTemplate::fill(format, {std::to_string(due)})));
  }
}

void Reminders::forgetWord_Remind() {
  CallDB& db = *CallDB::callDB();
  if (db.getPersonalValue("forgetword_remind") != "1" || db.getPersonalValue("account").empty())
    return;

  // Resigning must not fail: a store that cannot answer leaves the reminders scheduled so far.
  try {
    const ReminderWindow window{secondsOfDay(settingOr(db, "remind_time1", "08:00")),
                                secondsOfDay(settingOr(db, "remind_time2", "21:00"))};
    const plat::Value words = db.GetRandomForgetWordInfo();
    double fire = window.firstFrom(MyDate::localDateTime());
    for (size_t i = 0; i < words.size(); ++i) {
      fire = window.placed(fire + 3600.0 + static_cast<double>(plat::rand() % 3600));
      const plat::Value& row = words.at(i);
      // Recorded first: a reminder is never scheduled for a word that could be named again.
      db.insertRemindWord(static_cast<int>(row.at(0).asInt()), MyDate::storedTime(fire));
      plat::Application::shared().scheduleLocalNotification(
          notificationAt(fire, row.at(1).asString()));
    }
  } catch (const plat::NamedException&) {
  }
}

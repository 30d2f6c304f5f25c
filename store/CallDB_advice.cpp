// The rhythm of the update check and the once-a-day advice on a review backlog.
#include <cstdlib>
#include <string>

#include "store/CallDB.h"
#include "store/MyDate.h"

bool CallDB::isCheckUpdate_Program() {
  const std::string last = getPersonalValue("CheckUpdateTime");
  if (last.empty()) return true;
  return MyDate::calendarDayId() >= std::strtoll(last.c_str(), nullptr, 10) + 3;
}

void CallDB::saveCheckUpdateTime() {
  UpdatePersonalValue("CheckUpdateTime", std::to_string(MyDate::calendarDayId()));
}

plat::Value CallDB::openMaxLearnView() {
  const int limit = personalInteger("ReviewLimitCount");
  const int due = GetReviewWordsCount();
  // A cap of 0 (or a nonsensical negative one) means no daily amount to advise on.
  if (limit <= 0 || due <= limit) return plat::Value();
  const std::string today = std::to_string(MyDate::studyDayId());
  if (getPersonalValue("run_machine") == today) return plat::Value();
  UpdatePersonalValue_isNeed("run_machine", today);

  // Each coming day clears L words, a third of them coming back soon, and adds that day's own.
  int64_t load = due;
  int days = 0;
  while (days < 29 && load > limit) {
    const int64_t rest = load - limit;
    ++days;
    load = static_cast<int64_t>(limit * 0.35 + static_cast<double>(rest) + GetNeedTestNum(days));
  }
  return plat::Value::array({due, limit, days + 1});
}

// The summary figures of the statistics page.
#include <algorithm>
#include <string>

#include "store/CallDB.h"
#include "store/MyDate.h"

namespace {

constexpr int64_t kDay = MyDate::kSecondsPerDay;

}  // namespace

std::optional<int64_t> CallDB::firstStudyDayId() {
  std::optional<int64_t> first =
      optionalNumberOf("select sl_uAddTime from Study_List order by sl_uAddTime limit 1");
  if (!first) return std::nullopt;
  return MyDate::dayId(MyDate::DateDev3Hour(static_cast<double>(*first)));
}

int CallDB::LearnWordCount() {
  return static_cast<int>(numberOf("select count(sl_uWordID) from Study_List"));
}

int64_t CallDB::getCountDay() {
  const std::optional<int64_t> first = firstStudyDayId();
  if (!first) return 0;
  return MyDate::studyDayId() - *first + 1;
}

float CallDB::aveLearnNumFromWeek() {
  const std::optional<int64_t> first = firstStudyDayId();
  if (!first) return 0.0f;
  const int64_t days = std::min<int64_t>(MyDate::studyDayId() - *first + 1, 7);
  if (days < 1) return 0.0f;
  const int64_t end = MyDate::studyDayEnd(0);
  const int64_t count =
      numberOf("select count(sl_uAddTime) from Study_List where sl_uAddTime >= " +
               std::to_string(end - days * kDay) + " and sl_uAddTime < " + std::to_string(end));
  return static_cast<float>(count) / static_cast<float>(days);
}

float CallDB::aveReviewNumFromWeek() {
  const std::optional<int64_t> first = firstStudyDayId();
  if (!first) return 0.0f;
  const int64_t today = MyDate::studyDayId();
  int64_t sum = 0;
  int days = 0;
  for (int64_t id = today; days < 7 && id >= *first; --id, ++days)
    sum += numberOf("select rl_uWordNum from ReviewWords_Log where rl_uTimeID = " +
                    std::to_string(id));
  return days ? static_cast<float>(sum) / static_cast<float>(days) : 0.0f;
}

// The series the statistics charts draw: answers per day, coming due counts, familiarity and
// retention, past and projected.
#include <string>

#include "store/CallDB.h"
#include "store/MyDate.h"

using plat::Value;

namespace {

constexpr int64_t kDay = MyDate::kSecondsPerDay;

std::string str(int64_t v) {
  return std::to_string(v);
}

// 00:00 of the current study day's date, in stored seconds.
int64_t studyDate() {
  return MyDate::dayStart(MyDate::DateDev3Hour(MyDate::localDateTime()));
}

}  // namespace

Value CallDB::getReViewWordsFromDay(int n) {
  const int64_t today = studyDate() / kDay;
  Value counts = Value::array();
  for (int back = 0; back < n; ++back)
    counts.append(static_cast<int>(numberOf(
        "select rl_uWordNum from ReviewWords_Log where rl_uTimeID = " + str(today - back))));
  return counts;
}

Value CallDB::getWillReviewWordsFromDay(int n) {
  const int64_t begin = MyDate::studyDayBegin(0);
  Value counts = Value::array();
  for (int ahead = n; ahead >= 1; --ahead) {
    int count = static_cast<int>(numberOf(
        "select count(sl_uWordID) from Study_Log where sl_uNextStudyTime >= " +
        str(begin + ahead * kDay) + " and sl_uNextStudyTime < " + str(begin + (ahead + 1) * kDay)));
    // Tomorrow also gets what today's review cap leaves over.
    if (ahead == 1)
      count += GetReviewWordsCount() - static_cast<int>(GetReviewWords("review").size());
    counts.append(count);
  }
  counts.append(static_cast<int>(GetReviewWords("all").size()));
  return counts;
}

Value CallDB::getCountFamiliarityFromDay(double date) {
  const int64_t end = MyDate::dayStart(date) + kDay + MyDate::kStudyDayShift;
  Value counts = Value::array();
  for (int days : {29, 59, 89})
    counts.append(static_cast<int>(
        numberOf("select count(sl_uWordID) from Study_Log where sl_uNextStudyTime > " +
                 str(end + days * kDay))));
  return counts;
}

Value CallDB::FamiliarityFromDay(int n) {
  const int64_t today = studyDate();
  const int64_t id = today / kDay;
  Value c = getCountFamiliarityFromDay(static_cast<double>(today));
  const std::string c1 = str(c.at(0).asInt()), c2 = str(c.at(1).asInt()), c3 = str(c.at(2).asInt());
  std::optional<int64_t> newest =
      optionalNumberOf("select fl_uTimeID from Familiarity_Log order by fl_uTimeID desc limit 1");
  if (!newest || id > *newest)
    sqlMgr_.RecordExec(
        "insert into Familiarity_Log (fl_uTimeID,fl_uWordNum1,fl_uWordNum2,fl_uWordNum3) values (" +
        str(id) + ", " + c1 + ", " + c2 + ", " + c3 + ")");
  else
    sqlMgr_.RecordExec("update Familiarity_Log set fl_uWordNum1 = " + c1 +
                       ", fl_uWordNum2 = " + c2 + ", fl_uWordNum3 = " + c3 +
                       ", fl_uCountState=0, fl_uNeedSync=0 where fl_uTimeID = " + str(id) +
                       " and (fl_uWordNum1 <> " + c1 + " or fl_uWordNum2 <> " + c2 +
                       " or fl_uWordNum3 <> " + c3 + ")");

  Value series[3] = {Value::array(), Value::array(), Value::array()};
  for (int back = 0; back < n; ++back) {
    Value row = rowsOf(
        "select fl_uWordNum1,fl_uWordNum2,fl_uWordNum3 from Familiarity_Log where fl_uTimeID = " +
            str(id - back),
        "nnn");
    for (size_t k = 0; k < 3; ++k) series[k].append(row.size() ? row.at(0).at(k) : Value(0));
  }
  return Value::array({series[0], series[1], series[2]});
}

int64_t CallDB::getRatioForgetWordsFromDay(double date, int64_t addDay) {
  const int64_t bound = MyDate::dayStart(date) + MyDate::kStudyDayShift + addDay * kDay;
  const int64_t due =
      numberOf("select count(sl_uWordID) from Study_Log where sl_uNextStudyTime < " + str(bound));
  const int64_t studied = getStudyWordNum(WholeLibraryBookID);
  if (studied < 1) return 10000;
  return static_cast<int64_t>(
      (1.0 - 0.8 * static_cast<double>(due) / static_cast<double>(studied)) * 10000.0);
}

Value CallDB::ForgetWordsFromDay(int n) {
  const int64_t today = studyDate();
  const int64_t id = today / kDay;
  const std::string ratio = str(getRatioForgetWordsFromDay(static_cast<double>(today), 2));
  std::optional<int64_t> newest =
      optionalNumberOf("select fl_uTimeID from ForgetWords_Log order by fl_uTimeID desc limit 1");
  if (!newest || id > *newest)
    sqlMgr_.RecordExec("insert into ForgetWords_Log (fl_uTimeID,fl_uWordNum) values (" + str(id) +
                       ", " + ratio + ")");
  else
    sqlMgr_.RecordExec("update ForgetWords_Log set fl_uWordNum = " + ratio +
                       ",fl_uCountState=0,fl_uNeedSync=0 where fl_uTimeID = " + str(id) +
                       " and fl_uWordNum <> " + ratio);

  const std::optional<int64_t> first = firstStudyDayId();
  Value series = Value::array();
  for (int back = 0; back < n; ++back) {
    if (!first || id - back < *first) {
      series.append(Value());
      continue;
    }
    Value logged =
        rowsOf("select fl_uWordNum from ForgetWords_Log where fl_uTimeID = " + str(id - back), "d");
    series.append(logged.size()
                      ? static_cast<double>(static_cast<int64_t>(logged.at(0).asDouble())) / 100.0
                      : 100.0);
  }
  return series;
}

Value CallDB::getWillForgetWordsFromDay(int n) {
  const int64_t today = studyDate();
  const bool studied = getStudyWordNum(WholeLibraryBookID) >= 1;
  Value series = Value::array();
  for (int ahead = n - 1; ahead >= 0; --ahead) {
    const double day = static_cast<double>(today + ahead * kDay);
    series.append(studied ? static_cast<double>(getRatioForgetWordsFromDay(day, 2)) / 100.0
                          : 100.0);
  }
  return series;
}

// Counts of the current and coming study days, the day's new-word quota and the automatic pick
// of new words from the whole library.
#include <string>

#include "store/CallDB.h"
#include "store/MyDate.h"

using plat::Value;

int CallDB::getFinishTestNumFromDay() {
  const std::string begin = std::to_string(MyDate::studyDayBegin(0));
  const std::string end = std::to_string(MyDate::studyDayEnd(0));
  return static_cast<int>(numberOf(
      "select count(sl.sl_uWordID) from Study_Log as slo,Study_List as sl where sl.sl_uWordID = "
      "slo.sl_uWordID and not(sl.sl_uAddTime >= " +
      begin + " and sl.sl_uAddTime < " + end + ") and (sl_uLastTestTime >= " + begin +
      " and sl_uLastTestTime < " + end + ")"));
}

int CallDB::getTodayLearnNum() {
  return static_cast<int>(numberOf(
      "select count(*) from Study_Log where (sl_uFeedbackID1=0 and sl_uFeedbackID2=0 and "
      "sl_uFeedbackID3=0) or (sl_uFeedbackID2=0 and sl_uFeedbackID3=0 and sl_uLastTestTime >= " +
      std::to_string(MyDate::studyDayBegin(0)) + " and sl_uLastTestTime < " +
      std::to_string(MyDate::studyDayEnd(0)) + ")"));
}

int CallDB::GetNeedTestNum(int n) {
  return static_cast<int>(
      numberOf("select count(sl_uWordID) from Study_Log where sl_uNextStudyTime >= " +
               std::to_string(MyDate::studyDayBegin(n)) + " and sl_uNextStudyTime < " +
               std::to_string(MyDate::studyDayEnd(n))));
}

int CallDB::getNeedLearnNum() {
  const int64_t need =
      static_cast<int64_t>(personalInteger("StudyLimitCount")) - getTodayLearnNum();
  return need > 0 ? static_cast<int>(need) : 0;
}

// The first `getNeedLearnNum()` unplanned words of the whole library in the given order.
static const char* const kUnplanned =
    "select wl.wl_tWord from words_library as wl where wl.wl_uWordID not in(select sl_uWordID "
    "from study_list)";

Value CallDB::getOrderWords() {
  return rowsOf(
      std::string(kUnplanned) + kAlphabeticalOrder + " limit " + std::to_string(getNeedLearnNum()),
      "s");
}

Value CallDB::getRandomWords() {
  return rowsOf(
      std::string(kUnplanned) + " order by random() limit " + std::to_string(getNeedLearnNum()),
      "s");
}

// Which planned words are due: today's reviews under the day's cap, new words, counts by day.
#include "store/CallDB.h"
#include "store/MyDate.h"

using plat::Value;

Value CallDB::GetReviewWords(const std::string& kind) {
  const long long end = MyDate::studyDayEnd(0);
  if (kind == "review") {
    // In 64 bits: a cap far below zero must not wrap round into a large room.
    const int64_t room =
        static_cast<int64_t>(personalInteger("ReviewLimitCount")) - getFinishTestNumFromDay();
    if (room <= 0) return Value::array();
    return dueTestedWords(end, room);
  }
  if (kind == "newlearn") {
    return sqlMgr_.selectOneChannel(
        "select wl.wl_tWord from Words_Library as wl,Study_Log as sl where sl.sl_uLastTestTime = 0 "
        "and sl.sl_uNextStudyTime < ? and wl.wl_uWordID = sl.sl_uWordID",
        "s", "N", Value::array({end}));
  }
  if (kind == "all") {
    Value words = GetReviewWords("review");
    Value fresh = GetReviewWords("newlearn");
    for (size_t i = 0; i < fresh.size(); ++i) words.append(fresh.at(i));
    return words;
  }
  return Value::array();
}

int CallDB::GetReviewWordsCount() {
  return static_cast<int>(numberOf(
      "select count(*) from Study_Log where sl_uLastTestTime <> 0 and sl_uNextStudyTime < " +
      std::to_string(MyDate::studyDayEnd(0))));
}

int CallDB::GetReviewWordsCount(double date) {
  const int64_t bound = MyDate::dayStart(date) + MyDate::kSecondsPerDay + MyDate::kStudyDayShift;
  return static_cast<int>(numberOf(
      "select count(*) from Study_Log where sl_uLastTestTime <> 0 and sl_uNextStudyTime < " +
      std::to_string(bound)));
}

Value CallDB::getLearnWords() {
  return rowsOf(std::string("select wl.wl_tWord from words_library as wl,Study_Log as sl where "
                            "wl.wl_uWordID = sl.sl_uWordID") +
                    kLearnedOrder,
                "s");
}

int CallDB::getCountWordsFromDay(double beginDate, double endDate) {
  auto bound = [](double date) {
    return MyDate::dayStart(date) + MyDate::kSecondsPerDay + MyDate::kStudyDayShift;
  };
  return static_cast<int>(numberOf(
      "select count(*) from Study_List where sl_uAddTime >= " + std::to_string(bound(beginDate)) +
      " and sl_uAddTime < " + std::to_string(bound(endDate))));
}

Value CallDB::getTodayReWords() {
  return rowsOf(
      "select wl.wl_tWord,sl.sl_uFeedbackID1,sl.sl_uFeedbackID2,sl.sl_uFeedbackID3 from "
      "Words_Library as wl,Study_Log as sl where wl.wl_uWordID = sl.sl_uWordID and "
      "sl.sl_uLastTestTime >= " +
          std::to_string(MyDate::studyDayBegin(0)) + " and sl.sl_uLastTestTime < " +
          std::to_string(MyDate::studyDayEnd(0)) + kLearnedOrder,
      "snnn");
}

// The day logs: one row per study-day id, filled in for the last days at every activation, and
// the study-day marker of the daily refresh. Statements carry their numbers in the text and run
// without error reports; inside the daily refresh a failure elsewhere rolls them back too.
#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <vector>

#include "store/CallDB.h"
#include "store/MyDate.h"

namespace {

using Counts = std::vector<int>;
constexpr int64_t kDay = MyDate::kSecondsPerDay;

std::string str(int64_t v) {
  return std::to_string(v);
}

}  // namespace

// One log: its newest id, the value of a day (a day's 00:00 in stored seconds), the rewrite of
// the newest logged day and the insert of a new day. `keeps`, when set, tells a newest row that
// is never rewritten, before the day's value is counted for nothing.
struct CallDB::DayLogSpec {
  const char* newestId;
  std::function<Counts(int64_t day)> valueOf;
  std::function<void(int64_t id, const Counts&)> rewrite;
  std::function<void(int64_t id, const Counts&)> insert;
  std::function<bool(int64_t id)> keeps = nullptr;
};

void CallDB::fillDayLog(const DayLogSpec& log, int n) {
  if (n < 1) return;
  const int64_t today = MyDate::dayStart(MyDate::DateDev3Hour(MyDate::localDateTime()));
  const std::optional<int64_t> newest = optionalNumberOf(log.newestId);
  auto insertDay = [&](int64_t back) {
    const int64_t day = today - back * kDay;
    log.insert(day / kDay, log.valueOf(day));
  };
  if (!newest) {
    for (int64_t back = n - 1; back >= 0; --back) insertDay(back);
    return;
  }
  const int64_t gap = today / kDay - *newest;
  if (gap < 0) return;  // the clock was set back behind the newest row
  const int64_t m = std::min<int64_t>(gap, n - 1);
  if (gap <= n - 1) {
    if (!log.keeps || !log.keeps(*newest)) log.rewrite(*newest, log.valueOf(today - m * kDay));
  } else
    insertDay(m);
  for (int64_t back = m - 1; back >= 0; --back) insertDay(back);
}

void CallDB::InsertReViewWordsFromDay() {
  // Bound, not spliced: every answer runs these, and the day's id would make each a statement of
  // its own to parse. Today's row, once made, is all an answer touches.
  const plat::Value today = plat::Value::array({static_cast<long long>(MyDate::studyDayId())});
  plat::LockGuard lock(sqlMgr_.connection());
  const int64_t changesBefore = sqlite3_total_changes64(sqlMgr_.database());
  sqlMgr_.RecordExec(
      "update ReviewWords_Log set rl_uWordNum = rl_uWordNum+1,rl_uNeedSync=0 where rl_uTimeID = ?",
      "N", today);
  if (sqlite3_total_changes64(sqlMgr_.database()) != changesBefore) return;
  // With the clock set back behind the newest row, only an existing row of today is counted.
  std::optional<int64_t> newest =
      optionalNumberOf("select rl_uTimeID from ReviewWords_Log order by rl_uTimeID desc limit 1");
  if (!newest || today.at(0).asInt() > *newest)
    sqlMgr_.RecordExec("insert into ReviewWords_Log (rl_uTimeID,rl_uWordNum) values (?, 1)", "N",
                       today);
}

plat::Value CallDB::LearnWordsFromDay(int n) {
  fillDayLog(
      {"select il_uTimeID from IncreasingWord_Log order by il_uTimeID desc limit 1",
       [this](int64_t day) {
         return Counts{
             getCountWordsFromDay(static_cast<double>(day - kDay), static_cast<double>(day))};
       },
       [this](int64_t id, const Counts& c) {
         sqlMgr_.RecordExec("update IncreasingWord_Log set il_uWordNum = " + str(c[0]) +
                            ",il_uNeedSync=0 where il_uTimeID = " + str(id) +
                            " and il_uWordNum <> " + str(c[0]));
       },
       [this](int64_t id, const Counts& c) {
         sqlMgr_.RecordExec("insert into IncreasingWord_Log (il_uTimeID,il_uWordNum) values (" +
                            str(id) + ", " + str(c[0]) + ")");
       }},
      n);
  // One value per study day by its id, 0 for a day without a row: a gap in the log, or rows
  // dated after a clock set back, never move a count under another day.
  const int64_t today = MyDate::studyDayId();
  plat::Value counts = plat::Value::array();
  for (int back = 0; back < n; ++back)
    counts.append(static_cast<int>(numberOf(
        "select il_uWordNum from IncreasingWord_Log where il_uTimeID = " + str(today - back))));
  return counts;
}

void CallDB::OpenMechine_FamiliarityFromDay(int n) {
  fillDayLog(
      {"select fl_uTimeID from Familiarity_Log order by fl_uTimeID desc limit 1",
       [this](int64_t day) {
         plat::Value c = getCountFamiliarityFromDay(static_cast<double>(day));
         return Counts{static_cast<int>(c.at(0).asInt()), static_cast<int>(c.at(1).asInt()),
                       static_cast<int>(c.at(2).asInt())};
       },
       [this](int64_t id, const Counts& c) {
         sqlMgr_.RecordExec("update Familiarity_Log set fl_uWordNum1 = " + str(c[0]) +
                            ", fl_uWordNum2 = " + str(c[1]) + ", fl_uWordNum3 = " + str(c[2]) +
                            ", fl_uCountState=1, fl_uNeedSync=0 where fl_uTimeID = " + str(id) +
                            " and (fl_uWordNum1 <> " + str(c[0]) + " or fl_uWordNum2 <> " +
                            str(c[1]) + " or fl_uWordNum3 <> " + str(c[2]) +
                            " or fl_uCountState <> 1)");
       },
       [this](int64_t id, const Counts& c) {
         sqlMgr_.RecordExec(
             "insert into Familiarity_Log (fl_uTimeID,fl_uWordNum1,fl_uWordNum2,fl_uWordNum3,"
             "fl_uCountState) values (" +
             str(id) + ", " + str(c[0]) + ", " + str(c[1]) + ", " + str(c[2]) + ",1)");
       },
       // Only a row that a chart wrote during the day is recomputed.
       [this](int64_t id) {
         return numberOf("select fl_uCountState from Familiarity_Log where fl_uTimeID = " +
                         str(id)) != 0;
       }},
      n);
}

void CallDB::OpenMechine_ForgetWordsFromDay(int n) {
  fillDayLog(
      {"select fl_uTimeID from ForgetWords_Log order by fl_uTimeID desc limit 1",
       [this](int64_t day) {
         return Counts{static_cast<int>(getRatioForgetWordsFromDay(static_cast<double>(day), 2))};
       },
       [this](int64_t id, const Counts& c) {
         sqlMgr_.RecordExec("update ForgetWords_Log set fl_uWordNum = " + str(c[0]) +
                            ", fl_uCountState=1, fl_uNeedSync=0 where fl_uTimeID = " + str(id) +
                            " and (fl_uWordNum <> " + str(c[0]) + " or fl_uCountState <> 1)");
       },
       [this](int64_t id, const Counts& c) {
         sqlMgr_.RecordExec(
             "insert into ForgetWords_Log (fl_uTimeID,fl_uWordNum,fl_uCountState) values (" +
             str(id) + ", " + str(c[0]) + ", 1)");
       },
       [this](int64_t id) {
         return numberOf("select fl_uCountState from ForgetWords_Log where fl_uTimeID = " +
                         str(id)) != 0;
       }},
      n);
}

void CallDB::LastReviewDays() {
  const int64_t today = MyDate::studyDayId();
  std::optional<int64_t> stored =
      optionalNumberOf("select vc_tValue from Var_Config where vc_tVarName = 'LastReviewDay'");
  if (stored == today) return;  // nothing to write: every activation of the day comes here
  if (getStudyWordNum(WholeLibraryBookID) < 1 || !stored)
    sqlMgr_.RecordExec(
        "replace into Var_Config (vc_tVarName,vc_tValue,vc_uNeedSync) values ('LastReviewDay'," +
        str(today) + ",0)");
  else if (today > *stored)  // while words are planned the marker never moves back
    sqlMgr_.RecordExec("update Var_Config set vc_tValue=" + str(today) +
                       ",vc_uNeedSync=0 where vc_tVarName = 'LastReviewDay'");
}

// The day logs: one row per study-day id, kept for the statistics charts.
#include <string>

#include "store/CallDB.h"
#include "store/MyDate.h"

void CallDB::InsertReViewWordsFromDay() {
  const int64_t today = MyDate::studyDayId();
  std::optional<int64_t> newest =
      optionalNumberOf("select rl_uTimeID from ReviewWords_Log order by rl_uTimeID desc limit 1");
  // With the clock set back behind the newest row, only an existing row of today is counted.
  if (!newest || today > *newest)
    sqlMgr_.RecordExec("insert into ReviewWords_Log (rl_uTimeID,rl_uWordNum) values (" +
                       std::to_string(today) + ", 1)");
  else
    sqlMgr_.RecordExec(
        "update ReviewWords_Log set rl_uWordNum = rl_uWordNum+1,rl_uNeedSync=0 where rl_uTimeID "
        "= " +
        std::to_string(today));
}

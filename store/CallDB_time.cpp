// The study-day operations of the store.
#include <cstdlib>

#include "store/CallDB.h"
#include "store/MyDate.h"

int64_t CallDB::GetDayBeginTime(int n) {
  return MyDate::studyDayBegin(n);
}

int64_t CallDB::GetDayEndTime(int n) {
  return MyDate::studyDayEnd(n);
}

bool CallDB::isSameDay() {
  plat::Value rows = plat::Value::array();
  sqlMgr_.selectOneChannel("select vc_tValue from Var_Config where vc_tVarName = 'LastReviewDay'",
                           "s", rows);
  if (rows.size() == 0) return false;
  return std::strtoll(rows.at(0).asString().c_str(), nullptr, 10) == MyDate::studyDayId();
}

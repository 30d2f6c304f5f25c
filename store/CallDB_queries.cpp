// Small helpers the table operations share: unbound number queries, numeric personal values and
// the one-unit bracket.
#include <cstdlib>
#include <limits>

#include "store/CallDB.h"

plat::Value CallDB::rowsOf(const std::string& sql, const std::string& retType) {
  plat::Value rows = plat::Value::array();
  sqlMgr_.selectOneChannel(sql, retType, rows);
  return rows;
}

std::optional<int64_t> CallDB::optionalNumberOf(const std::string& sql) {
  plat::Value rows = rowsOf(sql, "N");
  if (rows.size() == 0) return std::nullopt;
  return rows.at(0).asInt();
}

int64_t CallDB::numberOf(const std::string& sql) {
  return optionalNumberOf(sql).value_or(0);
}

int CallDB::personalInteger(const std::string& key) {
  long long v = std::strtoll(getPersonalValue(key).c_str(), nullptr, 10);
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

void CallDB::inOneTransaction(const std::function<void()>& work) {
  sqlMgr_.beginTransaction();
  try {
    work();
    sqlMgr_.commitTransaction();
  } catch (...) {
    sqlMgr_.rollbackTransaction();
    throw;
  }
}

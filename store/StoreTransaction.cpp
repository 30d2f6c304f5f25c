#include "store/StoreTransaction.h"

#include "platform/base/NamedException.h"
#include "store/CallDB.h"

namespace StoreTransaction {

bool run(const std::function<void()>& work, const FailureFun& onFailure) {
  return run(CallDB::callDB()->sqlMgr(), work, onFailure);
}

bool run(SqlMgrController& sql, const std::function<void()>& work, const FailureFun& onFailure) {
  std::string reason;
  sql.beginTransaction();
  try {
    work();
    sql.commitTransaction();
    return true;
  } catch (const plat::NamedException& e) {
    reason = e.reason();
  } catch (const std::exception& e) {
    reason = e.what();
  }
  sql.rollbackTransaction();
  if (onFailure) onFailure(reason);
  return false;
}

void runOrRaise(SqlMgrController& sql, const std::function<void()>& work) {
  sql.beginTransaction();
  try {
    work();
    sql.commitTransaction();
  } catch (...) {
    sql.rollbackTransaction();
    throw;
  }
}

}  // namespace StoreTransaction

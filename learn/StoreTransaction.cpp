#include "learn/StoreTransaction.h"

#include "platform/base/NamedException.h"
#include "store/CallDB.h"

namespace StoreTransaction {

bool run(const std::function<void()>& work,
         const std::function<void(const std::string&)>& onFailure) {
  SqlMgrController& sql = CallDB::callDB()->sqlMgr();
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

}  // namespace StoreTransaction

#include "settings/StudyDataWipe.h"

#include <exception>

#include "online/Data_Package.h"
#include "platform/base/NamedException.h"
#include "store/CallDB.h"

namespace StudyDataWipe {

bool wipe(std::string& error) {
  SqlMgrController& sql = CallDB::callDB()->sqlMgr();
  sql.beginTransaction();
  try {
    Data_Package::delete_UserData();
    sql.commitTransaction();
    return true;
  } catch (const plat::NamedException& e) {
    error = e.reason();
  } catch (const std::exception& e) {
    error = e.what();
  }
  sql.rollbackTransaction();
  return false;
}

}  // namespace StudyDataWipe

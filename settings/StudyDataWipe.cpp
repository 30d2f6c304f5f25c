#include "settings/StudyDataWipe.h"

#include "online/Data_Package.h"
#include "store/CallDB.h"
#include "store/StoreTransaction.h"

namespace StudyDataWipe {

bool wipe(std::string& error) {
  return StoreTransaction::run(CallDB::callDB()->sqlMgr(), &Data_Package::delete_UserData,
                               [&error](const std::string& reason) { error = reason; });
}

}  // namespace StudyDataWipe

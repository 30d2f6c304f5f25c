// The daily refresh run at every activation.
#include "app/AppDelegate.h"
#include "online/CheckVersion.h"
#include "platform/base/RunLoop.h"
#include "store/CallDB.h"
#include "store/StoreTransaction.h"

namespace {

constexpr int kDayLogDays = 14;

}  // namespace

void AppDelegate::refreshData_first() {
  CallDB* db = CallDB::callDB();
  // Nothing of the refresh is kept on a failure; the next activation tries again.
  StoreTransaction::run(db->sqlMgr(), [&] {
    db->clearRemindWords();
    if (!db->isSameDay()) {
      // The first activation of this study day.
      ScreenHooks::call(hooks_.reviewDownDataFinish);
      plat::RunLoop::main().performAfter(kAccountRefreshDelay, this, "loginUserInfoUpdate",
                                         [this] { loginUserInfoUpdate(); });
      checkVersion_ = std::make_unique<CheckVersion>();
      checkVersion_->CheckVersion_starMachine();
    }
    db->OpenMechine_FamiliarityFromDay(kDayLogDays);
    db->OpenMechine_ForgetWordsFromDay(kDayLogDays);
    db->LastReviewDays();
  });
}

#include "learn/ReviewScreenHooks.h"

#include "learn/ReViewController.h"
#include "online/OnlineScreens.h"
#include "platform/base/RunLoop.h"
#include "store/ReviewPlanHooks.h"
#include "store/StoreHooks.h"

namespace ReviewScreenHooks {
namespace {

// A restore applies the server's values on its worker thread: the badge is drawn on the main
// thread, so the count goes there.
void refreshMsgNum(int count) {
  if (plat::RunLoop::isMainThread()) {
    ReViewController::refreshMsgNum(count);
  } else {
    plat::RunLoop::main().perform([count] { ReViewController::refreshMsgNum(count); });
  }
}

}  // namespace

void install() {
  StoreHooks::shared().refreshMsgNum = &refreshMsgNum;
  ReviewPlanHooks& plan = ReviewPlanHooks::shared();
  plan.addNewWordFinish = &ReViewController::addNewWordFinish;
  plan.deleteWordFinish = &ReViewController::deleteWordFinish;
  OnlineScreens& online = OnlineScreens::shared();
  online.closeProgram = &ReViewController::closeProgram;
  online.downDataFinish = &ReViewController::downDataFinish;
  online.refreshADInfo = &ReViewController::refreshADInfo;
}

}  // namespace ReviewScreenHooks

#include "learn/ReviewScreenHooks.h"

#include "learn/ReViewController.h"
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

class Plan : public ReviewPlanHooks {
 public:
  void addNewWordFinish(const std::vector<std::string>& words) override {
    ReViewController::addNewWordFinish(words);
  }
  void deleteWordFinish(const std::string& word) override {
    ReViewController::deleteWordFinish(word);
  }
};

}  // namespace

void Online::closeProgram() {
  ReViewController::closeProgram();
}
void Online::downDataFinish() {
  ReViewController::downDataFinish();
}
void Online::refreshADInfo() {
  ReViewController::refreshADInfo();
}

void install(Online& online) {
  static Plan plan;
  StoreHooks::shared().refreshMsgNum = &refreshMsgNum;
  ReviewPlanHooks::install(&plan);
  OnlineScreens::install(&online);
}

}  // namespace ReviewScreenHooks

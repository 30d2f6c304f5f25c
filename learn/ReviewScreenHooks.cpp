#include "learn/ReviewScreenHooks.h"

#include "learn/ReViewController.h"
#include "platform/base/RunLoop.h"
#include "store/ReviewPlanHooks.h"
#include "store/StoreHooks.h"

namespace ReviewScreenHooks {
namespace {

class Store : public StoreHooks {
 public:
  // A restore applies the server's values on its worker thread: the badge is drawn on the main
  // thread, so the count goes there.
  void refreshMsgNum(int count) override {
    if (plat::RunLoop::isMainThread()) {
      ReViewController::refreshMsgNum(count);
    } else {
      plat::RunLoop::main().perform([count] { ReViewController::refreshMsgNum(count); });
    }
  }
};

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
  static Store store;
  static Plan plan;
  StoreHooks::install(&store);
  ReviewPlanHooks::install(&plan);
  OnlineScreens::install(&online);
}

}  // namespace ReviewScreenHooks

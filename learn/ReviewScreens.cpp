#include "learn/ReviewScreens.h"

#include "learn/DailySignIn.h"
#include "learn/EveryDayViewController.h"
#include "learn/TodayReViewController.h"
#include "platform/view/Button.h"
#include "platform/view/NavigationController.h"
#include "store/CallDB.h"
#include "ui/BaseViewController.h"

namespace ReviewScreens {
namespace {

struct Makers {
  ScreenMaker todayReview;
  ScreenMaker dailyLesson;
  ScreenMaker helpGuide;
  Action signIn;
};

Makers& makers() {
  static Makers m;
  return m;
}

class GuideStandIn : public BaseViewController {
 public:
  void viewDidLoad() override {
    BaseViewController::viewDidLoad();
    view()->setBackgroundColor(plat::Color::rgb255(232, 245, 236));
    const plat::Rect b = view()->bounds();
    auto start = plat::Button::create(plat::ButtonType::Custom,
                                      {b.width / 2 - 80, b.height / 2 - 22, 160, 44});
    start->setTitle("开始使用");
    start->setTitleColor(plat::Color::white());
    start->setBackgroundColor(plat::Color::rgb255(57, 156, 102));
    start->setCornerRadius(8);
    start->addTarget(
        [this](plat::Control&) {
          CallDB::callDB()->UpdatePersonalValue("run_machine", "1");
          dismissViewController(false);
        },
        plat::kTouchUpInside);
    view()->addSubview(start);
  }
};

}  // namespace

void setTodayReviewMaker(ScreenMaker maker) {
  makers().todayReview = std::move(maker);
}
void setDailyLessonMaker(ScreenMaker maker) {
  makers().dailyLesson = std::move(maker);
}
void setHelpGuideMaker(ScreenMaker maker) {
  makers().helpGuide = std::move(maker);
}
void setSignIn(Action action) {
  makers().signIn = std::move(action);
}

std::shared_ptr<plat::ViewController> makeTodayReview() {
  if (makers().todayReview) return makers().todayReview();
  return std::make_shared<TodayReViewController>();
}

std::shared_ptr<plat::ViewController> makeDailyLesson() {
  if (makers().dailyLesson) return makers().dailyLesson();
  return std::make_shared<EveryDayViewController>();
}

std::shared_ptr<plat::ViewController> makeHelpGuide() {
  if (makers().helpGuide) return makers().helpGuide();
  return std::make_shared<GuideStandIn>();
}

void signIn(plat::ViewController& reviewScreen) {
  if (makers().signIn)
    makers().signIn(reviewScreen);
  else
    DailySignIn::shared().sign(reviewScreen);
}

}  // namespace ReviewScreens

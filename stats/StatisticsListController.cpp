#include "stats/StatisticsListController.h"

#include "platform/base/Bundle.h"
#include "platform/base/Device.h"
#include "platform/view/Animation.h"
#include "platform/view/NavigationController.h"
#include "stats/FamiliarityUIView.h"
#include "stats/LearnReviewUIView.h"
#include "stats/OblivionUIView.h"
#include "stats/PressureUIView.h"
#include "stats/SummaryUIView.h"
#include "stats/TopViewController.h"
#include "store/CallDB.h"
#include "ui/GuiImages.h"
#include "ui/ScreenNavItems.h"

using namespace plat;

namespace {

bool onTablet() {
  return Device::current().idiom == DeviceIdiom::Tablet;
}

// The page view of `page`, parented to `screen`.
std::shared_ptr<View> makePage(int64_t page, const Rect& frame, StatisticsListController* screen) {
  switch (page) {
    case 1: {
      auto summary = std::make_shared<SummaryUIView>(frame);
      summary->setParent(screen);
      return summary;
    }
    case 2:
    case 3:
    case 4:
    case 5: {
      std::shared_ptr<ChartPageView> chart;
      if (page == 2) chart = std::make_shared<LearnReviewUIView>(frame);
      if (page == 3) chart = std::make_shared<FamiliarityUIView>(frame);
      if (page == 4) chart = std::make_shared<OblivionUIView>(frame);
      if (page == 5) chart = std::make_shared<PressureUIView>(frame);
      chart->setParent(screen);
      return chart;
    }
    default:
      return nullptr;
  }
}

}  // namespace

void StatisticsListController::viewDidLoad() {
  // The pages start below the navigation bar, not under it.
  setEdgesForExtendedLayout(kRectEdgeNone);
  // The chart pages' black titles stand on it.
  view()->setBackgroundColor(Color::white());
  pageTitle_ = {"概要", "学习/复习", "记忆持久度", "遗忘曲线", "压力曲线"};
  currPage_ = 1;
  navigationItem().setTitle(pageTitle_[0]);
  titleLabel_ = ScreenNavItems::titleLabel(pageTitle_[0]);
  navigationItem().setTitleView(titleLabel_);
  addNavBtnItem();
}

std::shared_ptr<Button> StatisticsListController::barButton(const std::string& titleKey) {
  auto button = Button::create(ButtonType::Custom, {0, 0, 55, 30});
  button->setTitle(localized(titleKey));
  button->setTitleColor(Color::white());
  button->titleLabel().setFont(Font::boldSystem(12));
  button->setBackgroundImage(guiimages::stretchable("gui/right_btn.png", 10, 10));
  button->setContentHorizontalAlignment(ContentHorizontalAlignment::Center);
  button->setExclusiveTouch(true);
  return button;
}

void StatisticsListController::addNavBtnItem() {
  auto left = barButton("statistics_btn1");
  left->addTarget([this](Control&) { openList(); }, kTouchUpInside);
  navigationItem().setLeftBarButtonItem(std::make_shared<BarButtonItem>(left));
  // Read once per loading of the view: a later change shows with the next load.
  if (CallDB::callDB()->getPersonalValue("sShowTopView").empty()) {
    navigationItem().setRightBarButtonItem(nullptr);
    return;
  }
  auto right = barButton("statistics_btn2");
  right->addTarget([this](Control&) { loginTopView(); }, kTouchUpInside);
  navigationItem().setRightBarButtonItem(std::make_shared<BarButtonItem>(right));
}

void StatisticsListController::viewWillAppear(bool) {
  // A tablet may come back in another size: its chart pages are rebuilt at the current one.
  if (onTablet()) removeChartPages();
  createView();
}

bool StatisticsListController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) {
  return onTablet() || o == InterfaceOrientation::Portrait;
}

void StatisticsListController::didRotateFromInterfaceOrientation(InterfaceOrientation) {
  removeChartPages();
  createView();
}

void StatisticsListController::removeChartPages() {
  for (int tag = 2; tag <= kPageCount; ++tag)
    if (View* page = view()->viewWithTag(tag)) page->removeFromSuperview();
}

View* StatisticsListController::pageView(int64_t page) {
  return view()->viewWithTag(int(page));
}

void StatisticsListController::createView() {
  View& root = *view();
  if (!pageView(currPage_)) {
    auto page = makePage(currPage_, {0, 0, root.bounds().width, root.bounds().height}, this);
    if (!page) return;
    page->setTag(int(currPage_));
    root.addSubview(page);
    root.sendSubviewToBack(page.get());
  }
  refreshData();
  if (currPage_ != 1)
    if (auto* chart = dynamic_cast<ChartPageView*>(pageView(currPage_)))
      chart->refreshContentSize();
}

void StatisticsListController::refreshData() {
  View* page = pageView(currPage_);
  if (auto* summary = dynamic_cast<SummaryUIView*>(page)) summary->refreshData();
  if (auto* chart = dynamic_cast<ChartPageView*>(page)) chart->refreshData();
}

void StatisticsListController::exchangeView(int64_t oldPage) {
  createView();
  Animation::addTransition(*view(), Animation::Transition::Fade, kFadeSeconds);
  if (View* old = pageView(oldPage)) old->setAlpha(0);
  if (View* shown = pageView(currPage_)) shown->setAlpha(1);
}

void StatisticsListController::changePage(int64_t page, bool always) {
  const int64_t oldPage = currPage_;
  currPage_ = page;
  if (!always && page == oldPage) return;
  const std::string& title = pageTitle_.at(size_t(page - 1));
  titleLabel_->setText(title);
  titleLabel_->sizeToFit();
  navigationItem().setTitle(title);
  navigationItem().setTitleView(titleLabel_);
  exchangeView(oldPage);
}

void StatisticsListController::openList() {
  auto sheet = ActionSheet::create("", this, "取消", "", pageTitle_);
  sheet->showInView(view().get());
}

void StatisticsListController::didDismissWithButtonIndex(ActionSheet&, int index) {
  if (index < 0 || index >= kPageCount) return;  // the cancel button
  changePage(index + 1, false);
}

void StatisticsListController::upBtn() {
  changePage(currPage_ == 1 ? kPageCount : currPage_ - 1, true);
}

void StatisticsListController::downBtn() {
  changePage(currPage_ == kPageCount ? 1 : currPage_ + 1, true);
}

void StatisticsListController::selectBtn(int tag) {
  const int page = tag - 100;
  if (page >= 1 && page <= kPageCount) changePage(page, false);
  openList();
}

void StatisticsListController::loginTopView() {
  auto top = std::make_shared<TopViewController>();
  top->setParentName("返回");
  if (NavigationController* nav = navigationController()) nav->pushViewController(top, true);
}

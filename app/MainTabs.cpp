#include "app/MainTabs.h"

#include "account/AcceptUIWindow.h"
#include "account/FeedBackViewController.h"
#include "account/HelpRemMgrViewCtrl.h"
#include "account/UserInfoViewCtrl.h"
#include "app/AppDelegate.h"
#include "app/TabIcons.h"
#include "books/BookScreens.h"
#include "books/LearnViewController.h"
#include "books/WordsUIViewController.h"
#include "learn/BaseWordViewController.h"
#include "learn/CardScreens.h"
#include "learn/ListSortViewController.h"
#include "learn/ReViewController.h"
#include "learn/ReviewScreenHooks.h"
#include "learn/ReviewScreens.h"
#include "online/EMListNSObject.h"
#include "online/OnlineScreens.h"
#include "platform/view/NavigationController.h"
#include "settings/HelpView.h"
#include "settings/HtmlViewController.h"
#include "settings/SetViewController.h"
#include "settings/SettingsHooks.h"
#include "settings/SettingsScreens.h"
#include "settings/ShareObject.h"
#include "stats/StatisticsListController.h"

namespace MainTabs {

namespace {

// The settings open the word card's section order, the feedback form and the account screen.
void installSettingsScreens() {
  SettingsScreens::setSectionOrderMaker(
      [](const std::string& navName, const std::string& parentName) {
        auto order = ListSortViewController::initWithNibName("ListSortViewController");
        order->setNavName(navName);
        order->setParentName(parentName);
        return order;
      });
  SettingsScreens::setFeedbackMaker([](const std::string& navName, const std::string& parentName) {
    auto feedback = std::make_shared<FeedBackViewController>();
    feedback->setNavName(navName);
    feedback->setParentName(parentName);
    return feedback;
  });
  SettingsScreens::setAccountMaker([](const std::string& parentName) {
    auto account = std::make_shared<UserInfoViewCtrl>();
    account->setParentName(parentName);
    return account;
  });
}

}  // namespace

std::shared_ptr<plat::ViewController> makeReviewTab() {
  auto nav = std::make_shared<plat::NavigationController>(std::make_shared<ReViewController>());
  nav->tabBarItem().setTitle("复习/学习");
  return nav;
}

std::shared_ptr<plat::ViewController> makeBooksTab() {
  auto nav = std::make_shared<plat::NavigationController>(std::make_shared<LearnViewController>());
  nav->tabBarItem().setTitle("单词本");
  return nav;
}

std::shared_ptr<plat::ViewController> makeStatisticsTab() {
  auto nav =
      std::make_shared<plat::NavigationController>(std::make_shared<StatisticsListController>());
  nav->tabBarItem().setTitle("统计");
  return nav;
}

std::shared_ptr<plat::ViewController> makeSettingsTab() {
  auto nav = std::make_shared<plat::NavigationController>(std::make_shared<SetViewController>());
  nav->tabBarItem().setTitle("设置");
  std::weak_ptr<plat::NavigationController> tab = nav;
  SettingsHooks& hooks = SettingsHooks::shared();
  // The settings tab carries the badge of new messages.
  hooks.refreshMsgNum = [tab](int count) {
    if (auto settings = tab.lock())
      settings->tabBarItem().setBadgeValue(count >= 1 ? std::to_string(count) : "");
  };
  hooks.cleardata_learn = &LearnViewController::cleardata_learn;
  // The review screen's operations, as the application delegate holds them.
  hooks.closeProgram = [] {
    if (AppDelegate* app = AppDelegate::shared())
      ScreenHooks::call(app->screenHooks().reviewCloseProgram);
  };
  hooks.downDataFinish = [] {
    if (AppDelegate* app = AppDelegate::shared())
      ScreenHooks::call(app->screenHooks().reviewDownDataFinish);
  };
  hooks.topViewState = [](bool on) {
    if (AppDelegate* app = AppDelegate::shared()) app->TopViewState(on);
  };
  hooks.share = [](plat::ViewController& from, const std::string& text,
                   std::shared_ptr<plat::Image> picture) {
    ShareObject::sharedObject()->shareInfo_shareView(&from, text, std::move(picture));
  };
  return nav;
}

std::vector<std::shared_ptr<plat::ViewController>> makeAll() {
  std::vector<std::shared_ptr<plat::ViewController>> tabs = {
      makeReviewTab(), makeBooksTab(), makeStatisticsTab(), makeSettingsTab()};
  // The icons belong to the tab bar, whichever screen a tab shows.
  const std::shared_ptr<plat::Image> icons[] = {TabIcons::review(), TabIcons::books(),
                                                TabIcons::statistics(), TabIcons::settings()};
  for (size_t i = 0; i < tabs.size(); ++i) tabs[i]->tabBarItem().setImage(icons[i]);
  return tabs;
}

void installScreenHooks(ScreenHooks& hooks) {
  hooks.reviewCloseProgram = &ReViewController::closeProgram;
  hooks.reviewDownDataFinish = &ReViewController::downDataFinish;
  hooks.reviewRefreshADInfo = &ReViewController::refreshADInfo;
  hooks.booksCloseProgram = &LearnViewController::closeProgram;
  // One fetcher of the excellent mnemonics, living as long as the hooks.
  auto excellent = std::make_shared<EMListNSObject>();
  hooks.getExcellentMnemonic = [excellent] { excellent->getExcellentMnemonic(); };
  // The word card opens the words it extracted as word lists, the learner's notes and the offer
  // of a shared mnemonic.
  CardScreens::setWordListMaker(&WordsUIViewController::forExtractedWords);
  CardScreens::setNoteEditorMaker(&HelpRemMgrViewCtrl::forCard);
  CardScreens::setOfferWindow(&AcceptUIWindow::show);
  // The word lists push the word card, and the text files screen the help page.
  BookScreens::setWordCardMaker(&BaseWordViewController::forWordList);
  BookScreens::setHelpPageMaker(&HtmlViewController::helpPage);
  installSettingsScreens();
  // The word card and the review screen's sign-in share through the share sheet.
  CardScreens::setShareSheet(
      [](plat::ViewController* from, const std::string& text, const std::string& pngData) {
        ShareObject::sharedObject()->shareInfo_shareView(from, text, pngData);
      });
  // The first start shows the picture guide.
  ReviewScreens::setHelpGuideMaker([] { return HelpView::initWithNibName("HelpView"); });
  // What the account, backup and sync code tells the screens that exist: the review screen's
  // parts, and the word-book tab's.
  ReviewScreenHooks::install();
  OnlineScreens::shared().cleardata_learn = &LearnViewController::cleardata_learn;
}

}  // namespace MainTabs

// The word note screen, pushed by the word card: for one word either its mnemonic (type 1) or its
// grammar note (type 2), as two pages under a strip of two tabs: what everyone shared (page 0,
// with the two orders in the navigation bar) and the learner's own note (page 1).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "account/MyHelpRemViewCtrl.h"
#include "account/SharedNoteListController.h"
#include "platform/base/NotificationCenter.h"
#include "platform/view/Button.h"
#include "platform/view/ScrollView.h"
#include "ui/BaseViewController.h"
#include "ui/MyTabbarView.h"

class HelpRemMgrViewCtrl : public BaseViewController,
                           public plat::ScrollViewDelegate,
                           public MyTabbarDeleage,
                           public MyHelpRemDelegate,
                           public HelpRemListDelegate {
 public:
  static constexpr int kTabbarTag = 123;
  static constexpr int kShareAlertTag = 2;
  static constexpr double kTabbarHeight = 40;

  // The note screen of `word`'s mnemonics (type 1) or grammar notes (type 2), opened from `card`;
  // `parentName` titles its back button. The word card reaches it through the maker the
  // application installs (see learn/CardScreens.h).
  static std::shared_ptr<HelpRemMgrViewCtrl> forCard(plat::ViewController* card,
                                                     const std::string& word, int type,
                                                     const std::string& parentName);

  ~HelpRemMgrViewCtrl() override;

  // The opening card: the share alert after an adopted mnemonic is its alert.
  void setParentView(plat::ViewController* card) { parentView_ = card; }
  void setMWord(std::string word) { mWord_ = std::move(word); }
  void setIViewType(int64_t type) { iViewType_ = type; }
  void setParentName(std::string name) { parentName_ = std::move(name); }

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void goBackAction();

  void selectTabBtn(int index) override;
  void buttonAction1();  // by adoptions
  void buttonAction2();  // by time
  void shareHelpRemInfoFinish() override;
  void inEditHelpInfoView() override;
  void acceptNetHelpRemInfo(const std::string& word, int64_t type, const std::string& msg) override;

  // Pager
  void scrollViewDidScroll(plat::ScrollView&) override;
  void scrollViewWillBeginDragging(plat::ScrollView&) override { pageControlUsed_ = false; }
  void scrollViewDidEndDecelerating(plat::ScrollView&) override { pageControlUsed_ = false; }

  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;
  void willRotateToInterfaceOrientation(plat::InterfaceOrientation, double) override;
  void willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation, double) override;
  void didRotateFromInterfaceOrientation(plat::InterfaceOrientation) override { isRotate_ = false; }

  plat::ScrollView& scrollView() const { return *scrollView_; }
  MyTabbarView& tabbar() const { return *tabbar_; }
  SharedNoteListController& otherView() const { return *otherView_; }
  MyHelpRemViewCtrl& myHelpView() const { return *myHelpView_; }
  plat::Button* acceptBtn() const { return acceptBtn_.get(); }
  plat::Button* timeBtn() const { return timeBtn_.get(); }

 private:
  void showBarButton(int page);
  void keyboardShow(const plat::Notification& notification);
  void keyboardHide(const plat::Notification& notification);
  void moveStrip(double dy);
  void layoutPages(int shown);

  bool pageControlUsed_ = false;
  // The page chosen by a tab or a swipe; the pager may still be scrolling to it.
  int page_ = 0;
  double scrollHeight_ = 0;
  bool isRotate_ = false;
  int rotatingPage_ = 0;
  std::string mWord_;
  std::string parentName_;
  plat::ViewController* parentView_ = nullptr;
  int64_t iViewType_ = 1;
  std::shared_ptr<plat::ScrollView> scrollView_;
  std::shared_ptr<MyTabbarView> tabbar_;
  std::shared_ptr<SharedNoteListController> otherView_;
  std::shared_ptr<MyHelpRemViewCtrl> myHelpView_;
  std::shared_ptr<plat::Button> acceptBtn_, timeBtn_;
};

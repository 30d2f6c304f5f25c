// The daily lesson: for a day index (0 the current lesson, 1 the one before, ...) the server's
// sentence with its translation and date, the day's lucky words and the prize-draw notice. The
// learner steps through the days, plans the lucky words not yet in study with one confirmation,
// and opens three links.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "online/AccountQueue.h"
#include "net/HttpRequestDelegate.h"
#include "platform/view/AlertView.h"
#include "platform/view/Button.h"
#include "platform/view/ImageView.h"
#include "platform/view/Label.h"
#include "platform/view/ScrollView.h"
#include "platform/view/TextView.h"
#include "platform/view/WebView.h"
#include "ui/BaseViewController.h"

class EveryDayViewController : public BaseViewController,
                               public HttpRequestDelegate,
                               public plat::AlertViewDelegate,
                               public plat::WebViewDelegate {
 public:
  static constexpr int kPlanAlertTag = 4;
  static constexpr int kDoneAlertTag = 2;

  EveryDayViewController();
  ~EveryDayViewController() override;

  void setNavName(const std::string& name) { NavName_ = name; }
  void setParentName(const std::string& name) { ParentName_ = name; }

  // ---- Screen
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;
  void willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation, double) override;
  void showBarButton();
  void modifyUI();
  void addMainModel(int m, int ratio);
  void goBackAction();

  // ---- Lessons
  void getNetWordsInfo(int64_t dayIndex);
  void buttonAction1() { dayButton(currIndex_ + 1); }
  void buttonAction2() { dayButton(currIndex_ - 1); }
  void buttonAction3() { dayButton(0); }
  void getInfoFinish(HttpRequest& request);
  void getInfoFaild(HttpRequest& request);

  // ---- Lucky words and links
  void addWordsFun();
  void addWords_alercallback();
  void sendServerResult();
  void didDismissWithButtonIndex(plat::AlertView& alert, int index) override;
  void openURL(plat::Button* sender);
  // A link of the prize-draw notice opens outside the app, as the three links do.
  bool shouldStartLoad(plat::WebView& web, const std::string& url,
                       plat::WebNavigationType type) override;

  // ---- For the tests
  int64_t currIndex() const { return currIndex_; }
  int64_t serverTime() const { return serverTime_; }
  bool isLoadNewInfo() const { return isLoadNewInfo_; }
  int64_t ratio() const { return Ratio_; }
  plat::Label* label_time() const { return label_time_.get(); }
  plat::TextView* label_text() const { return label_text_.get(); }
  plat::Label* label_info() const { return label_info_.get(); }
  plat::Button* addBtn() const { return addBtn_.get(); }
  plat::WebView* awardWebView() const { return awardWebView_.get(); }
  plat::Button* dayBtn(int number) const { return dayBtns_[size_t(number - 1)].get(); }
  plat::Button* linkBtn(int number) const;
  plat::ScrollView* scrollView() const { return scrollView_.get(); }
  // The name of the add button's image: "gui/ed_aw_nbtn.png" or "gui/ed_aw_sbtn.png".
  const std::string& addBtnImage() const { return addBtnImage_; }

 private:
  void dayButton(int64_t dayIndex);
  // The lucky words of `label_info` not yet in study, in the order extracted.
  std::vector<std::string> newLuckyWords() const;
  void setAddBtnImage(const std::string& name);

  std::string NavName_ = "每日课堂";
  std::string ParentName_;
  AccountQueue networkQueue_;
  int64_t currIndex_ = 0;
  int64_t serverTime_ = 0;
  bool isLoadNewInfo_ = false;
  int64_t Ratio_ = 1;

  std::shared_ptr<plat::ScrollView> scrollView_;
  std::shared_ptr<plat::View> childView_;
  std::shared_ptr<plat::ImageView> titleImageView_, info_line_ImageView_, infoImageView_,
      downImageView_, words_head_ImageView_, wordsImageView_, awardImageView_;
  std::shared_ptr<plat::Button> st1Btn_, st2Btn_, st3Btn_, addBtn_;
  std::shared_ptr<plat::Label> label_time_, label_info_;
  std::shared_ptr<plat::TextView> label_text_;
  std::shared_ptr<plat::WebView> awardWebView_;
  std::vector<std::shared_ptr<plat::Button>> dayBtns_;
  std::string addBtnImage_ = "gui/ed_aw_nbtn.png";
  std::string lotteryHtml_;  // the notice shown, loaded again when the content is laid out anew
};

// The review screen, the first tab: the word on a strip, the meaning hidden until the learner
// asks, then the embedded word card and the answer buttons; browsing back over the answered
// words, deleting a word never tested, the idle texts with the backup and today's-review buttons
// and the notice panel. The queue and the schedule are ReviewQueue's; other parts of the app reach
// the screen through its class operations.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "learn/BaseWordViewController.h"
#include "learn/ReviewQueue.h"
#include "learn/ReviewQueueView.h"
#include "online/Data_Backup.h"
#include "platform/view/Button.h"
#include "platform/view/ImageView.h"
#include "platform/view/Label.h"
#include "platform/view/WebView.h"
#include "ui/BaseViewController.h"
#include "wordlist/BaseWordDeleage.h"

class ReViewController : public BaseViewController,
                         public ReviewQueueView,
                         public BaseWordDeleage,
                         public DataBackupDelegate,
                         public plat::WebViewDelegate {
 public:
  ReViewController();
  ~ReViewController() override;

  // ---- Class operations: each acts on the screen that exists, and does nothing before it does.
  static void refreshMsgNum(int count);
  static void addNewWordFinish(const std::vector<std::string>& words);
  static void deleteWordFinish(const std::string& word);
  static void refreshADInfo();
  static void downDataFinish();
  static void closeProgram();
  // The screen the class operations act on, or null.
  static ReViewController* reviewObject();

  // ---- Actions
  void showSelBtn();
  void selBtn_Down();
  void selBtn_Up(int button);
  void upWord();
  void downWord();
  void returnReview();
  void audioBtn();
  void backupData();
  void today_re();
  void extract_words();
  void sign();
  void delete_word();

  // ---- Parts the tests and the app look at
  ReviewQueue& queue() { return queue_; }
  BaseWordViewController* wordView() const { return wordView_.get(); }
  plat::Button* wordBtn() const { return wordBtn_.get(); }
  plat::Button* PhoneticsBtn() const { return PhoneticsBtn_.get(); }
  plat::Button* showBtn() const { return showBtn_.get(); }
  plat::Button* answerButton(int grade) const { return answerButtons_[size_t(grade - 1)].get(); }
  plat::Button* upWordBtn() const { return upWordBtn_.get(); }
  plat::Button* downWordBtn() const { return downWordBtn_.get(); }
  plat::Button* returnReviewBtn() const { return returnReviewBtn_.get(); }
  plat::Button* deleteWordBtn() const { return deleteWordBtn_.get(); }
  plat::Button* backupDataBtn() const { return backupDataBtn_.get(); }
  plat::Button* today_reBtn() const { return today_reBtn_.get(); }
  plat::Label* infoLabel() const { return infoLabel_.get(); }
  plat::Label* remindLabel() const { return remindLabel_.get(); }
  plat::View* adView() const { return adView_.get(); }
  plat::ImageView* wordImage() const { return wordImage_.get(); }

  // ---- Platform callbacks
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void didReceiveMemoryWarning() override;
  bool canUnloadView() const override { return true; }
  void viewWillUnload() override;
  void viewDidUnload() override;
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;
  void didRotateFromInterfaceOrientation(plat::InterfaceOrientation old) override;
  void didFinishLoad(plat::WebView& page) override;
  bool shouldStartLoad(plat::WebView& page, const std::string& url,
                       plat::WebNavigationType type) override;

  // ---- What the queue does to the screen (ReviewQueueView)
  void setWordTitle(const std::string& title) override;
  void setReviewTitle(const std::string& title) override;
  void setReviewBadge(const std::string& badge) override;
  void setWordBookBadge(const std::string& badge) override;
  void setIconBadge(int count) override;
  void updateControl() override;
  void refreshWordView() override;
  void deleteBtn_isShow() override;
  void changeRemindLabel(int kind) override;
  void showAnswerButtons() override;
  void autoAcceptFun() override;
  void showReturnButton() override;
  void showAlert(const std::string& title, const std::string& message,
                 const std::string& button) override;
  void showMessage(const std::string& text) override;

  // ---- The card's paging (BaseWordDeleage) and the backup's end (DataBackupDelegate)
  void upBtn_Click_callback() override { upWord(); }
  void downBtn_Click_callback() override { downWord(); }
  void updateDateFinish_callback() override;

 private:
  void buildInterface();
  void layoutIdle();
  void placeBrowseBackButton(bool idle);
  void loadNotice();
  void resetAnswerImages();
  // The embedded card seen (the meaning revealed or an answered word browsed) or kept hidden.
  void showCard(bool shown);
  void commonUpDown();
  void returnToLiveWord();
  void setTabBadge(int index, const std::string& badge);
  plat::TabBarItem& reviewTabItem();
  void closeProgramNow();

  ReviewQueue queue_{*this};
  std::shared_ptr<BaseWordViewController> wordView_;
  std::unique_ptr<Data_Backup> dataBackup_;
  bool isFirstRun_ = false;

  std::shared_ptr<plat::ImageView> wordImage_;
  std::shared_ptr<plat::Button> wordBtn_;
  std::shared_ptr<plat::Button> PhoneticsBtn_;
  std::shared_ptr<plat::Button> showBtn_;
  std::shared_ptr<plat::Button> upWordBtn_;
  std::shared_ptr<plat::Button> downWordBtn_;
  std::shared_ptr<plat::Button> returnReviewBtn_;
  std::vector<std::shared_ptr<plat::Button>> answerButtons_;
  std::shared_ptr<plat::Button> backupDataBtn_;
  std::shared_ptr<plat::Button> today_reBtn_;
  std::shared_ptr<plat::Button> deleteWordBtn_;
  std::shared_ptr<plat::View> adView_;
  std::shared_ptr<plat::Label> adTitleLabel_;
  std::shared_ptr<plat::WebView> adWebView_;
  bool noticeLoaded_ = false;  // adWebView_ was given a notice page
  std::shared_ptr<plat::ImageView> adViewBg_;
  std::shared_ptr<plat::Button> ad_tcBtn_;
  std::shared_ptr<plat::Button> ad_qdBtn_;
  std::shared_ptr<plat::Label> infoLabel_;
  std::shared_ptr<plat::Label> remindLabel_;
};

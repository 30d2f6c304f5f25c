// The content of the mnemonic offer window: another learner's best mnemonic of the word with its
// adoptions and sharer. Adopting asks the server and stores the mnemonic; closing declines it for
// this word (the decline marker), and "不再提示" switches such offers off.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "net/HttpRequest.h"
#include "online/AccountQueue.h"
#include "platform/base/Value.h"
#include "platform/view/Button.h"
#include "platform/view/ImageView.h"
#include "platform/view/Label.h"
#include "platform/view/TextView.h"
#include "platform/view/ViewController.h"

class AcceptViewDeleage {
 public:
  virtual ~AcceptViewDeleage() = default;
  // The offer is settled: the window may go.
  virtual void close_callback() {}
};

class AcceptViewController : public plat::ViewController, public HttpRequestDelegate {
 public:
  static constexpr double kBoxWidth = 280;
  static constexpr double kBoxHeight = 300;

  void viewDidLoad() override;
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;
  // Shows the offered row [id, text, adoptions, time, sharer, mark] for `word`.
  void showHelpInfo(const std::string& word, const plat::Value& row);

  void acceptClick();
  void closeClick();
  void nopromptClick();

  void setDeleage(AcceptViewDeleage* delegate) { deleage_ = delegate; }
  void setWordName(std::string word) { wordName_ = std::move(word); }
  void setHelpID(int64_t id) { helpID_ = id; }

  plat::TextView& helpInfo() const { return *helpInfo_; }
  plat::Label& acceptNum() const { return *acceptNum_; }
  plat::Label& shareName() const { return *shareName_; }
  plat::ImageView& iconImageView() const { return *iconImageView_; }
  plat::Button& noPromptBtn() const { return *noPromptBtn_; }
  plat::Button& closeBtn() const { return *closeBtn_; }
  plat::Button& acceptBtn() const { return *acceptBtn_; }
  plat::View& childView() const { return *childView_; }

 private:
  void sendFinished(HttpRequest& request);
  void sendFailed(HttpRequest& request);
  void initfb_btn(plat::Button& button, const std::string& name);

  AccountQueue networkQueue_;
  std::shared_ptr<plat::View> childView_;
  std::shared_ptr<plat::ImageView> bgImageView_;
  std::shared_ptr<plat::Label> wordLabel_;
  std::shared_ptr<plat::TextView> helpInfo_;
  std::shared_ptr<plat::Label> acceptNum_, shareName_;
  std::shared_ptr<plat::Button> noPromptBtn_, closeBtn_, acceptBtn_;
  std::shared_ptr<plat::ImageView> iconImageView_;
  std::string wordName_;
  int64_t helpID_ = 0;
  bool isSendNetMsg_ = false;
  bool isTiShi_ = true;
  AcceptViewDeleage* deleage_ = nullptr;
};

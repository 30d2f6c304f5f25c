// The feedback form: a logged-in learner picks a kind (suggestion, bug, question), writes a text
// and sends it with the device's description. The text and kind stay after sending.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "net/HttpRequest.h"
#include "online/AccountQueue.h"
#include "platform/base/NotificationCenter.h"
#include "platform/view/Button.h"
#include "platform/view/ImageView.h"
#include "ui/BaseViewController.h"
#include "ui/MyTextView.h"

class FeedBackViewController : public BaseViewController, public HttpRequestDelegate {
 public:
  static constexpr const char* kPlaceholder = "在这里输入要反馈的信息";

  FeedBackViewController();
  ~FeedBackViewController() override;

  void loadView() override;  // the interface "FeedBackViewController"
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;

  // The action of the kind buttons: the tapped one is chosen (1, 2 or 3).
  void selType(const plat::Button* tapped);
  void keyboardShow(const plat::Notification& notification);
  void keyboardHide(const plat::Notification& notification);
  void leaveEditMode();
  void sendClick();
  void sendFinished(HttpRequest& request);
  void sendFailed(HttpRequest& request);

  void setNavName(const std::string& name) { navName_ = name; }
  void setParentName(const std::string& name) { parentName_ = name; }
  int64_t selectedType() const { return selType_; }
  MyTextView& infoTextView() const { return *infoTextView_; }
  plat::Button& kindButton(int kind) const { return *kindButtons_.at(kind - 1); }

 private:
  void initfb_btn(plat::Button& button, const std::string& name);
  void resizeText(double height);

  AccountQueue networkQueue_;
  std::shared_ptr<plat::ImageView> textbgView_;
  int64_t selType_ = 0;
  std::string parentName_;
  std::shared_ptr<MyTextView> infoTextView_;
  std::array<std::shared_ptr<plat::Button>, 3> kindButtons_;
  std::string navName_;
};

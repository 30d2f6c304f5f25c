// The ranking page: the server's ranking list in a web view, reloaded from the address the server
// sent ("sShowTopView") whenever the screen comes into view, with back and forward buttons over
// the pages visited inside it.
#pragma once

#include <memory>
#include <string>

#include "platform/view/Button.h"
#include "platform/view/ViewController.h"
#include "platform/view/WebView.h"

class TopViewController : public plat::ViewController, public plat::WebViewDelegate {
 public:
  TopViewController();
  ~TopViewController() override;

  void setParentName(const std::string& name) { ParentName_ = name; }
  const std::string& ParentName() const { return ParentName_; }

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation o) override;

  void showBarButton();
  // Enables each button exactly when the web history allows its direction.
  void checkWebBtn();
  void buttonAction1();  // back
  void buttonAction2();  // forward
  void didFinishLoad(plat::WebView&) override;

  plat::WebView* webView() const { return webView_.get(); }
  plat::Button* backBtn() const { return backBtn_.get(); }
  plat::Button* upBtn() const { return upBtn_.get(); }

 private:
  std::string ParentName_;
  std::shared_ptr<plat::WebView> webView_;
  std::shared_ptr<plat::Button> upBtn_;
  std::shared_ptr<plat::Button> backBtn_;
};

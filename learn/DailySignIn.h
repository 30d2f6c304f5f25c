// The review screen's daily sign-in on the server ("sign_in.php"): the request, its reply, and,
// for a counted sign-in (a message beginning with "@"), the offer to share it with one of the
// two share pictures and one of 18 share texts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/HttpRequest.h"
#include "net/HttpRequestDelegate.h"
#include "platform/view/AlertView.h"
#include "platform/view/ViewController.h"

class DailySignIn : public plat::AlertViewDelegate, public HttpRequestDelegate {
 public:
  static constexpr int kShareAlertTag = 2;
  static constexpr int kShareTextCount = 18;

  // The one sign-in of the process (the review screen's).
  static DailySignIn& shared();

  // The sign-in action, from the review screen that shares a counted sign-in.
  void sign(plat::ViewController& reviewScreen);
  void didFinishSign(HttpRequest& request);
  void didFailSign(HttpRequest& request);
  void didDismissWithButtonIndex(plat::AlertView& alert, int index) override;

  // The share text for a draw of the random generator: text number r mod 18 and the web site.
  static std::string shareText(int r);

  int32_t m_countSignNum() const { return countSignNum_; }

 private:
  void handleMessage(const std::string& msg, const plat::Value& lastSigninId);
  void share();

  int32_t countSignNum_ = 0;
  std::weak_ptr<plat::ViewController> reviewScreen_;
  // Requests run to their end whatever happens to the screen; kept alive until then.
  std::vector<std::shared_ptr<HttpRequest>> running_;
};

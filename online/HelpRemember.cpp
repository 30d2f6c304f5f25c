#include "online/HelpRemember.h"

#include "online/AccountText.h"
#include "online/ApiReply.h"
#include "online/ApiRequest.h"
#include "online/LoginUIWindow.h"
#include "store/CallDB.h"

void HelpRemember::shareNote(const std::string& word, const std::string& noteInfo) {
  share(false, word, noteInfo);
}

void HelpRemember::shareWordYuFa(const std::string& word, const std::string& info) {
  share(true, word, info);
}

void HelpRemember::share(bool yufa, const std::string& word, const std::string& text) {
  if (text.empty()) {
    accounttext::showMessage(accounttext::text("alermsg_eg28"));
    return;
  }
  CallDB* store = CallDB::callDB();
  if (store->getPersonalValue("account").empty()) {
    LoginUIWindow::show();
    accounttext::showMessage(accounttext::text("alermsg_eg26"));
    return;
  }
  auto request =
      ApiRequest::post(yufa ? "upload_yufa.php" : "upload_mnemonic.php",
                       {{"word_id", store->getWordID(word)}, {yufa ? "yufa" : "mnemonic", text}});
  request->setUserAgent(yufa ? "yufa" : "help");
  request->setDelegate(this);
  request->setDidFinishSelector([this](HttpRequest& r) { shareFinished(r); });
  request->setDidFailSelector([this](HttpRequest& r) { shareFailed(r); });
  networkQueue_.add(request);
}

void HelpRemember::shareFinished(HttpRequest& request) {
  ApiReplyHooks hooks;
  hooks.relogin = ApiReplyHooks::openLoginAgain;
  auto reply = ApiReply::handleFinished(request, hooks);
  if (!reply) return;
  accounttext::showMessage(reply->msg());
  if (deleage_) deleage_->shareinfo_callback();
}

void HelpRemember::shareFailed(HttpRequest& request) {
  ApiReply::handleFailed(request, ApiReplyHooks());
}

#include "online/EMListNSObject.h"

#include <cstdlib>

#include "online/AccountText.h"
#include "online/ApiReply.h"
#include "online/ApiRequest.h"
#include "store/CallDB.h"
#include "util/DebugNSObject.h"

void EMListNSObject::getExcellentMnemonic() {
  const int64_t last = std::atoll(CallDB::callDB()->getPersonalValue("last_em_id").c_str());
  auto request = ApiRequest::get("update_excellent_mnemonic.php", {{"last_em_id", last}});
  request->setDelegate(this);
  request->setDidFinishSelector([this](HttpRequest& r) { getMnemonicFinished(r); });
  // A failure tells nobody: the next call asks again from the same entry.
  request->setDidFailSelector([](HttpRequest&) {});
  networkQueue_.add(request);
}

void EMListNSObject::getMnemonicFinished(HttpRequest& request) {
  const int status = request.responseStatusCode();
  if (status < 200 || status > 299) return;
  auto reply = ApiReply::decode(request.responseString().value_or(""));
  if (!reply) {
    if (DebugNSObject::checkIsDebug()) {
      auto raw = request.responseData().value_or(HttpRequest::Bytes());
      ApiReplyHooks::defaultShowAlert("错误", std::string(raw.begin(), raw.end()), "关闭");
    }
    return;
  }
  // The reply has no "result": its entries and the new last id count as they come.
  const plat::Value& object = reply->object();
  accounttext::inTransaction([&object] {
    CallDB* store = CallDB::callDB();
    if (object.has("syn_var")) store->saveNetInfo(object["syn_var"]);
    store->UpdatePersonalValue("last_em_id",
                               std::to_string(ApiReply::integerOf(object["last_em_id"])));
    if (object.has("em_list")) store->updateSpecialMnemonic(object["em_list"]);
  });
  if (deleage_) deleage_->GetEMList_finish_callback();
}

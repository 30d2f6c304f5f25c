#include "online/ApiReply.h"

#include <cstdio>
#include <cstdlib>

#include "json/JsonCodec.h"
#include "online/LoginUIWindow.h"
#include "platform/base/Bundle.h"
#include "platform/base/Clock.h"
#include "platform/base/DateFormat.h"
#include "platform/view/AlertView.h"
#include "store/CallDB.h"
#include "store/MyDate.h"
#include "store/StoreTransaction.h"
#include "ui/MyAlerView.h"
#include "util/DebugNSObject.h"

namespace {

constexpr int64_t kClockTolerance = 172800;  // two days

// An integer from a JSON number or a numeric text, as the server sends either; nothing when
// the value is neither.
std::optional<int64_t> integerIn(const plat::Value& value) {
  if (value.isNumber() || value.isBool()) return value.asInt();
  if (value.isString()) return std::strtoll(value.asString().c_str(), nullptr, 10);
  return std::nullopt;
}

}  // namespace

void ApiReplyHooks::defaultShowMessage(const std::string& text) {
  if (auto view = MyAlerView::sharedAler()) view->ViewShow(text);
}

void ApiReplyHooks::openLoginAgain() {
  LoginUIWindow::show();
  LoginUIWindow::passwordErr_State();
}

void ApiReplyHooks::defaultShowAlert(const std::string& title, const std::string& message,
                                     const std::string& button) {
  plat::AlertView::create(title, message, nullptr, button)->show();
}

int64_t ApiReply::integerOf(const plat::Value& value) {
  return integerIn(value).value_or(0);
}

std::optional<ApiReply> ApiReply::decode(const std::string& body) {
  plat::Value object = objectFromJSONString(body);
  if (!object.isDictionary()) return std::nullopt;
  return ApiReply(std::move(object));
}

int64_t ApiReply::result() const {
  return integerOf(object_["result"]);
}

std::string ApiReply::msg() const {
  const plat::Value& msg = object_["msg"];
  return msg.isString() ? msg.asString() : std::string();
}

bool ApiReply::relogin() const {
  return integerOf(object_["relogin"]) == 1;
}

bool ApiReply::hasSynVar() const {
  return object_.has("syn_var");
}

std::optional<int64_t> ApiReply::time() const {
  return integerIn(object_["time"]);
}

bool ApiReply::saveSynVar() const {
  if (!synVar().isDictionary()) return false;
  CallDB* store = CallDB::callDB();
  // The caller goes on without them; whoever looks into a stale sync id finds why in the log.
  return StoreTransaction::run(
      store->sqlMgr(), [&] { store->saveNetInfo(synVar()); },
      [](const std::string& reason) {
        std::fprintf(stderr, "reply: storing the server's values: %s\n", reason.c_str());
      });
}

void ApiReply::saveSynVarOrRaise() const {
  if (!synVar().isDictionary()) return;
  CallDB* store = CallDB::callDB();
  StoreTransaction::runOrRaise(store->sqlMgr(), [&] { store->saveNetInfo(synVar()); });
}

std::optional<ApiReply> ApiReply::handleFinished(HttpRequest& request, const ApiReplyHooks& hooks,
                                                 SynVarStep step) {
  auto hidePanel = [&hooks] {
    if (hooks.hidePanel) hooks.hidePanel();
  };
  int status = request.responseStatusCode();
  if (status < 200 || status > 299) {
    hidePanel();
    return std::nullopt;
  }
  std::optional<std::string> body = request.responseString();
  std::optional<ApiReply> reply = decode(body.value_or(""));
  if (!reply) {
    hidePanel();
    if (!hooks.quiet && DebugNSObject::checkIsDebug()) {
      auto raw = request.responseData().value_or(HttpRequest::Bytes());
      hooks.showAlert("错误", std::string(raw.begin(), raw.end()), "关闭");
    }
    return std::nullopt;
  }
  if (step == SynVarStep::BeforeResult && reply->hasSynVar()) reply->saveSynVar();
  if (reply->succeeded()) return reply;

  if (step == SynVarStep::OnFailureOnly && reply->hasSynVar()) reply->saveSynVar();
  hidePanel();
  if (hooks.relogin && reply->relogin()) hooks.relogin();
  if (!hooks.quiet && hooks.showMessage) hooks.showMessage(reply->msg());
  return std::nullopt;
}

void ApiReply::handleFailed(HttpRequest& request, const ApiReplyHooks& hooks) {
  if (hooks.hidePanel) hooks.hidePanel();
  if (hooks.quiet || !hooks.showMessage) return;
  if (HttpErrorPtr error = request.error()) hooks.showMessage(error->localizedDescription());
}

bool ApiReply::checkClock(int64_t serverTime, const ApiReplyHooks& hooks) {
  // The device's wall clock read as GMT, in seconds since 1970, as the server's time is.
  const double local = MyDate::localDateTime() + plat::kReferenceDateOffset;
  int64_t difference = static_cast<int64_t>(local) - serverTime;
  if (difference < 0) difference = -difference;
  if (difference < kClockTolerance) return false;
  std::string message = plat::localized("alermsg_eg42", "InfoPlist");
  std::string when = plat::DateFormat("yyyy-MM-dd HH:mm", plat::TimeZone::utc()).format(local);
  if (size_t mark = message.find("%@"); mark != std::string::npos) {
    message.replace(mark, 2, when);
  }
  if (hooks.showAlert) hooks.showAlert("提示", message, "确定");
  return true;
}

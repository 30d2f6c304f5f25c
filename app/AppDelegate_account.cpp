// The delayed refresh of the excellent mnemonics and the account values, and the account reply.
#include <charconv>
#include <cmath>
#include <optional>

#include "app/AppDelegate.h"
#include "online/ApiReply.h"
#include "online/ApiRequest.h"
#include "store/CallDB.h"

namespace {

// Times further off than this are all simply "wrong" to the clock check; keeping them in this
// range keeps its arithmetic exact.
constexpr int64_t kFarTime = int64_t{1} << 50;

int64_t clampTime(int64_t t) {
  return t < -kFarTime ? -kFarTime : (t > kFarTime ? kFarTime : t);
}

// The reply's "time" in seconds since 1970 when it is a number or a text of digits; anything
// else skips the clock check rather than comparing the device clock with zero.
std::optional<int64_t> serverTime(const plat::Value& time) {
  switch (time.type()) {
    case plat::Value::Type::Int:
      return clampTime(time.asInt());
    case plat::Value::Type::UInt:
      return time.asUInt() > uint64_t(kFarTime) ? kFarTime : int64_t(time.asUInt());
    case plat::Value::Type::Double: {
      const double d = time.asDouble();
      if (!std::isfinite(d)) return std::nullopt;
      return static_cast<int64_t>(std::fmax(-double(kFarTime), std::fmin(d, double(kFarTime))));
    }
    case plat::Value::Type::String: {
      const std::string& text = time.asString();
      int64_t value = 0;
      const char* end = text.data() + text.size();
      auto [stop, error] = std::from_chars(text.data(), end, value);
      if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
      return clampTime(value);
    }
    default:
      return std::nullopt;
  }
}

}  // namespace

void AppDelegate::loginUserInfoUpdate() {
  ScreenHooks::call(hooks_.getExcellentMnemonic);
  if (CallDB::callDB()->getPersonalValue("account").empty()) return;

  // The recipe escapes every value, so a typed account cannot break into other parameters.
  std::shared_ptr<HttpRequest> request = ApiRequest::get("account_info.php");
  request->setDelegate(this);
  request->setDidFinishSelector([this](HttpRequest& r) { getInfoFinished(r); });
  request->setDidFailSelector([this](HttpRequest& r) { getInfoFailed(r); });
  accountRequest_ = request;
  request->startAsynchronous();
}

void AppDelegate::getInfoFinished(HttpRequest& request) {
  // Nothing is shown for a bad reply or a refusal; "syn_var" is stored all the same.
  ApiReplyHooks hooks;
  hooks.quiet = true;
  std::optional<ApiReply> reply = ApiReply::handleFinished(request, hooks);
  if (!reply) return;
  ScreenHooks::call(hooks_.reviewRefreshADInfo);
  if (std::optional<int64_t> time = serverTime(reply->object()["time"])) {
    ApiReply::checkClock(*time, hooks);
  }
}

void AppDelegate::getInfoFailed(HttpRequest&) {
  // The refresh fails silently: the next study day tries again.
}

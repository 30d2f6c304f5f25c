#include "analytics/AnalyticsOnlineConfig.h"

#include <cstdlib>
#include <memory>

#include "analytics/ANUtil.h"
#include "analytics/AnalyticsApp.h"
#include "analytics/AnalyticsConfig.h"
#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsHttp.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsSession.h"
#include "analytics/AnalyticsState.h"
#include "analytics/AnalyticsUtility.h"
#include "platform/base/MainThread.h"
#include "platform/base/NotificationCenter.h"

namespace {

// A reply that counts: a body, status 200 and a JSON content type; its object, or null.
plat::Value jsonReply(const AnalyticsHttpReply& reply) {
  if (!reply.answered || reply.body.empty() || reply.status != 200) return {};
  if (reply.contentType.substr(0, reply.contentType.find(';')) != "application/json") return {};
  auto value = ANUtil::JSONValue(reply.body);
  return value && value->isDictionary() ? *value : plat::Value();
}

AnalyticsHttpReply post(const std::string& path, const std::string& text) {
  std::string base = AnalyticsContext::current().endpoints().onlineConfig;
  auto body = ANDeflated::deflatedData(text);
  if (base.empty() || !body) return {};
  return analyticsPost(
      base + path, {{"Content-Type", "application/json"}, {"Content-Encoding", "deflate"}}, *body);
}

}  // namespace

AnalyticsOnlineConfig::AnalyticsOnlineConfig() {
  plat::NotificationCenter::defaultCenter().addObserver(
      this, kGotAppkeyNotification, nullptr, [this](const plat::Notification&) {
        if (updateOnlineConfigJobFlag_.exchange(false)) {
          updateOnlineConfig();
        }
      });
}

AnalyticsOnlineConfig::~AnalyticsOnlineConfig() {
  plat::NotificationCenter::defaultCenter().removeObserver(this);
}

AnalyticsOnlineConfig& AnalyticsOnlineConfig::sharedInstance() {
  return AnalyticsContext::current().state().onlineConfig();
}

void AnalyticsOnlineConfig::postFinished() {
  std::weak_ptr<AnalyticsContext> context = AnalyticsContext::currentShared();
  plat::Value params = AnalyticsConfig::configureWithKey("online_params");
  plat::performOnMainThread([this, context, params] {
    if (context.lock())
      plat::NotificationCenter::defaultCenter().post(kOnlineConfigDidFinishedNotification, this,
                                                     params);
  });
}

void AnalyticsOnlineConfig::updateOnlineConfig() {
  plat::Value last = AnalyticsConfig::configureWithKey("last_oc_reqest_ts");
  if (!last.isNull()) {
    plat::Value interval = AnalyticsConfig::configureWithKey("oc_interval");
    // The service's value as it sent it: a number, or a number written as text.
    double minutes = interval.isNull()     ? 10
                     : interval.isString() ? std::atof(interval.asString().c_str())
                                           : interval.asDouble();
    auto elapsed =
        static_cast<int64_t>(AnalyticsUtility::durationNowWith1970TimeInterval(last.asDouble()));
    // A clock set back waits too: the elapsed time is then below the interval.
    if (static_cast<double>(elapsed) < minutes * 60) {
      postFinished();
      return;
    }
  }
  if (AnalyticsApp::sharedInstance().appid().empty()) {
    updateOnlineConfigJobFlag_ = true;
    return;
  }
  std::shared_ptr<AnalyticsContext> context = AnalyticsContext::currentShared();
  context->state().core.otherQueue.addOperation([this, context] {
    if (context == AnalyticsContext::currentShared()) checkOnlineUpdateTime();
  });
}

void AnalyticsOnlineConfig::checkOnlineUpdateTime() {
  plat::Value request = plat::Value::dictionary({{"appkey", AnalyticsApp::sharedInstance().appid()},
                                                 {"app_version", ANUtil::appVersionString()}});
  std::string text = ANUtil::JSONFragment(request).value_or("{}");
  analyticsLog("Request OC for updatetime body=%s", text.c_str());
  plat::Value reply = jsonReply(post("/v2/get_update_time", text));
  if (reply.isNull()) {
    postFinished();
    return;
  }
  analyticsLog("OC resp for updatetime: %s", reply.debugString().c_str());
  AnalyticsConfig::setConfigure(reply["oc_interval"], "oc_interval");
  AnalyticsConfig::setConfigure(AnalyticsContext::current().now(), "last_oc_reqest_ts");
  plat::Value stored = AnalyticsConfig::configureWithKey("last_config_time");
  const plat::Value& offered = reply["last_config_time"];
  auto asInt = [](const plat::Value& v) {
    return v.isString() ? std::atoll(v.asString().c_str()) : v.asInt();
  };
  if (!offered.isNull() &&
      (stored.isNull() || stored.isString() || asInt(stored) < asInt(offered))) {
    fetchOnlineConfig();
    return;
  }
  postFinished();
}

void AnalyticsOnlineConfig::fetchOnlineConfig() {
  plat::Value request = plat::Value::dictionary();
  request.set("device_id", ANUtil::sharedUDIDString());
  request.set("package", ANUtil::appPackageNameString());
  request.set("sdk_version", ANUtil::sdkVersionString());
  request.set("appkey", AnalyticsApp::sharedInstance().appid());
  request.set("sdk_type", ANUtil::sdkTypeString());
  request.set("type", "online_config");
  request.set("channel", AnalyticsApp::sharedInstance().channel());
  request.set("time", ANUtil::timeString());
  request.set("app_version", ANUtil::appVersionString());
  for (const char* key : {"report_policy", "last_config_time"}) {
    plat::Value stored = AnalyticsConfig::configureWithKey(key);
    if (!stored.isNull()) request.set(key, stored);
  }
  std::string text = ANUtil::urlEncode(ANUtil::JSONFragment(request).value_or("{}"));
  analyticsLog("(Request  OnlineConfig) content=%s", text.c_str());
  AnalyticsHttpReply answer = post("/v2/check_config_update", text);
  plat::Value reply = jsonReply(answer);
  if (reply.isNull()) {
    if (!answer.error.empty()) analyticsLog("(Error   OnlineConfig) %s", answer.error.c_str());
  } else {
    analyticsLog("Response OnlineConfig: %s", reply.debugString().c_str());
    if (reply["config_update"].asString() == "Yes") {
      AnalyticsConfig::setConfigure(reply["last_config_time"], "last_config_time");
      AnalyticsConfig::setConfigure(reply["online_params"], "online_params");
      if (reply.has("report_policy")) {
        AnalyticsConfig::setConfigure(
            plat::Value(static_cast<unsigned>(
                AnalyticsApp::verifyReportPolicy(reply["report_policy"].asInt()))),
            "report_policy");
      }
      if (reply.has("report_interval")) {
        AnalyticsConfig::setConfigure(static_cast<double>(reply["report_interval"].asInt()),
                                      "analytics_report_interval");
        AnalyticsApp::sharedInstance().setLogSendInterval(AnalyticsApp::minReportInterval());
      }
      AnalyticsConfig::setConfigure(reply["ad_request"], "ad_request");
      AnalyticsConfig::setConfigure(reply["oc_interval"], "oc_interval");
    }
  }
  postFinished();
}

plat::Value AnalyticsOnlineConfig::onlineConfig() {
  plat::Value params = AnalyticsConfig::configureWithKey("online_params");
  analyticsLog("(online_params) %s", params.debugString().c_str());
  return params;
}

std::optional<std::string> AnalyticsOnlineConfig::onlineConfigWithKey(const std::string& key) {
  plat::Value params = AnalyticsConfig::configureWithKey("online_params");
  if (!params.isDictionary() || !params.has(key)) return std::nullopt;
  const plat::Value& value = params[key];
  if (value.isString()) return value.asString();
  if (value.type() == plat::Value::Type::Double) return anFormat("%g", value.asDouble());
  if (value.isNumber()) return std::to_string(value.asInt());
  return value.debugString();
}

#include "analytics/ANWorker.h"

#include <chrono>

#include "analytics/ANUtil.h"
#include "analytics/AnalyticsApp.h"
#include "analytics/AnalyticsConfig.h"
#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsHttp.h"
#include "analytics/AnalyticsImprint.h"
#include "analytics/AnalyticsImprintUpdate.h"
#include "analytics/AnalyticsJob.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsSession.h"
#include "analytics/AnalyticsState.h"
#include "analytics/AnalyticsThrift.h"
#include "analytics/AnalyticsUtility.h"
#include "analytics/records/ThriftBytes.h"
#include "platform/base/Files.h"
#include "platform/base/MainThread.h"

namespace {

// Runs on the main thread while `context` is still the current one.
void onCoreThread(const std::shared_ptr<AnalyticsContext>& context, std::function<void()> work) {
  std::weak_ptr<AnalyticsContext> weak = context;
  plat::performOnMainThread([weak, work] {
    auto owner = weak.lock();
    if (owner && owner == AnalyticsContext::currentShared()) work();
  });
}

}  // namespace

ANWorker::ANWorker(std::shared_ptr<AnalyticsContext> context,
                   std::vector<std::string> envelopeFilePaths)
    : context_(std::move(context)), envelopeFilePaths_(std::move(envelopeFilePaths)) {}

void ANWorker::main() {
  AnalyticsApp& app = context_->state().app;
  if (app.backgroundTaskEnabled()) app.activeBackgroundTask();
  while (!envelopeFilePaths_.empty() && !isCancelled()) {
    if (!postDataWithFile(envelopeFilePaths_.front())) break;
    if (context_->state().session.appInBackGround && !app.backgroundTaskEnabled()) break;
  }
  onCoreThread(context_, [] { AnalyticsJob::sharedInstance().setJobRunning(false); });
}

bool ANWorker::postDataWithFile(const std::string& path) {
  const AnalyticsEndpoints& endpoints = context_->endpoints();
  for (const std::string& endpoint : {endpoints.primaryLog, endpoints.fallbackLog}) {
    if (endpoint.empty()) continue;
    if (postDataToServer(endpoint, path)) return true;
    if (context_->state().job.defcon() != 0) {
      // Under back-off an undeliverable job is given up.
      for (const std::string& file : envelopeFilePaths_) AnalyticsUtility::removeFile(file);
      envelopeFilePaths_.clear();
      return false;
    }
  }
  return false;
}

bool ANWorker::postDataToServer(const std::string& endpoint, const std::string& path) {
  auto body = plat::files::readFile(path);
  if (!body) return false;
  std::string sdk = anFormat(
      "%s/%s %s/%s %s/%s %s", ANUtil::sdkTypeString().c_str(), ANUtil::sdkVersionString().c_str(),
      ANUtil::urlEncode(ANUtil::appDisplayNameString()).c_str(),
      ANUtil::urlEncode(ANUtil::appVersionString()).c_str(), ANUtil::deviceModelString().c_str(),
      ANUtil::osVersionString().c_str(), ANUtil::md5(context_->state().app.appid()).c_str());
  std::vector<std::pair<std::string, std::string>> headers = {
      {"Msg-Type", "envelope"},
      {"Content-Type", "envelope"},
      {"X-Analytics-Sdk", sdk},
      {"X-Analytics-UTC", std::to_string(static_cast<long long>(context_->now() * 1000))}};

  auto started = std::chrono::steady_clock::now();
  AnalyticsHttpReply reply = analyticsPost(endpoint + "/app_logs", headers, *body);
  auto spent = static_cast<int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - started)
                                        .count());
  AnalyticsConfig::setLastPostDate();

  if (reply.answered && !reply.body.empty() && reply.contentType == "application/thrift") {
    if (reply.status != 200) {
      analyticsLog("(Response Applog) {\"fail\": \"statusCode\":%d}", reply.status);
      AnalyticsConfig::incrementRequest(false, spent);
      return false;
    }
    AT::Response response;
    std::string failure;
    if (!records::fromBytes(reply.body, response, &failure)) {
      analyticsPrint(anFormat("Exception occurred: %s, %s", failure.c_str(), "(null)"));
    }
    bool accepted = response.resp_code == 1;
    if (accepted) {
      analyticsLog("(Response Applog) {\"success\": \"ok\"}");
      bool merge = response.__isset.imprint && validateImprintChecksum(response.imprint);
      AT::Imprint imprint = response.imprint;
      onCoreThread(context_, [merge, imprint] {
        AnalyticsThrift::sharedInstance().saveIdTracking();
        if (merge) updateImprint(imprint);
      });
    } else {
      analyticsLog("(Response Applog) {\"fail\": \"error\"}");
    }
    AnalyticsConfig::incrementRequest(accepted, spent);
    // A well-formed reply ends the file's life, whatever its result code.
    AnalyticsUtility::removeFile(path);
    envelopeFilePaths_.erase(envelopeFilePaths_.begin());
    return true;
  }
  AnalyticsConfig::incrementRequest(false, spent);
  if (!reply.error.empty()) analyticsLog("(Error   Applog) %s", reply.error.c_str());
  return false;
}

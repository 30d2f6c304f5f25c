#include "analytics/AnalyticsApp.h"

#include "analytics/ANUtil.h"
#include "analytics/AnalyticsConfig.h"
#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsCrash.h"
#include "analytics/AnalyticsImprint.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsState.h"
#include "analytics/AnalyticsTexts.h"
#include "platform/base/NotificationCenter.h"

namespace {

constexpr double kMinInterval = 90;
constexpr double kMaxInterval = 86400;

double clampInterval(double seconds) {
  return (seconds < kMinInterval || seconds > kMaxInterval) ? kMinInterval : seconds;
}

}  // namespace

AnalyticsApp::AnalyticsApp(AnalyticsContext& context) : context_(context) {
  appVersion_ = context.infoValue("CFBundleVersion");
  logSendInterval_ = -1;  // worked out on first read: it needs the stored settings
}

AnalyticsApp& AnalyticsApp::sharedInstance() {
  return AnalyticsContext::current().state().app;
}

std::string AnalyticsApp::appid() {
  std::lock_guard lock(mutex_);
  if (appid_.empty()) {
    plat::Value stored = context_.settings().objectForKey("appkey");
    if (stored.isString()) appid_ = stored.asString();
  }
  return appid_;
}

void AnalyticsApp::setAppid(const std::string& key) {
  std::lock_guard lock(mutex_);
  appid_ = key;
}

std::string AnalyticsApp::channel() const {
  std::lock_guard lock(mutex_);
  return channel_;
}

void AnalyticsApp::setChannel(const std::string& channel) {
  std::lock_guard lock(mutex_);
  channel_ = channel;
}

int32_t AnalyticsApp::reportPolicy() {
  plat::Value candidate;
  plat::Value experiment = AnalyticsConfig::configureWithKey("anExperimentRPT");
  if (!experiment.isNull() && !isIntegratedTestModel()) {
    candidate = experiment;
  } else if (auto imprint = imprintValueWithKey("report_policy")) {
    candidate = static_cast<long long>(std::atoll(imprint->c_str()));
  } else if (auto stored = AnalyticsConfig::configureWithKey("report_policy"); !stored.isNull()) {
    candidate = stored;
  } else {
    candidate = AnalyticsConfig::configureWithKey("ancReportPolicy");
  }
  std::lock_guard lock(mutex_);
  int64_t value = candidate.isNull() ? reportPolicy_ : candidate.asInt();
  reportPolicy_ = verifyReportPolicy(value);
  return reportPolicy_;
}

void AnalyticsApp::setReportPolicy(int32_t policy) {
  std::lock_guard lock(mutex_);
  reportPolicy_ = policy;
}

double AnalyticsApp::logSendInterval() const {
  {
    std::lock_guard lock(mutex_);
    if (logSendInterval_ >= 0) return logSendInterval_;
  }
  double interval = minReportInterval();
  std::lock_guard lock(mutex_);
  if (logSendInterval_ < 0) const_cast<AnalyticsApp*>(this)->logSendInterval_ = interval;
  return logSendInterval_;
}

void AnalyticsApp::setLogSendInterval(double seconds) {
  std::lock_guard lock(mutex_);
  logSendInterval_ = seconds;
}

bool AnalyticsApp::logEnabled() const {
  std::lock_guard lock(mutex_);
  return logEnabled_;
}

bool AnalyticsApp::encryptEnabled() const {
  std::lock_guard lock(mutex_);
  return encryptEnabled_;
}

bool AnalyticsApp::backgroundTaskEnabled() const {
  std::lock_guard lock(mutex_);
  return backgroundTaskEnabled_;
}

bool AnalyticsApp::crashReportEnabled() const {
  std::lock_guard lock(mutex_);
  return crashReportEnabled_;
}

bool AnalyticsApp::appCrashedHandlerInstalled() const {
  std::lock_guard lock(mutex_);
  return appCrashedHandlerInstalled_;
}

std::string AnalyticsApp::appVersion() const {
  std::lock_guard lock(mutex_);
  return appVersion_;
}

uint64_t AnalyticsApp::backgroundTaskIdentifier() const {
  std::lock_guard lock(mutex_);
  return backgroundTaskIdentifier_;
}

void AnalyticsApp::setEncryptEnabled(bool on) {
  auto& app = sharedInstance();
  std::lock_guard lock(app.mutex_);
  app.encryptEnabled_ = on;
}

void AnalyticsApp::setBackgroundTaskEnabled(bool on) {
  auto& app = sharedInstance();
  std::lock_guard lock(app.mutex_);
  app.backgroundTaskEnabled_ = on;
}

void AnalyticsApp::setLogEnabled(bool on) {
  auto& app = sharedInstance();
  std::lock_guard lock(app.mutex_);
  app.logEnabled_ = on;
}

void AnalyticsApp::setAppVersion(const std::string& version) {
  if (version.empty()) return;
  auto& app = sharedInstance();
  std::lock_guard lock(app.mutex_);
  app.appVersion_ = version;
}

bool AnalyticsApp::isIntegratedTestModel() {
  auto value = imprintValueWithKey("integrated_test");
  return value && std::atoll(value->c_str()) == 1;
}

double AnalyticsApp::minReportInterval() {
  if (!isIntegratedTestModel() &&
      AnalyticsConfig::configureWithKey("anExperimentRPT").asInt() == 6 &&
      AnalyticsConfig::hasKey("anExperimentRPT")) {
    auto test = imprintValueWithKey("test_report_interval");
    if (test && !ANUtil::isEmptyString(*test)) return clampInterval(std::atof(test->c_str()));
  }
  double interval = kMinInterval;
  auto imprint = imprintValueWithKey("report_interval");
  if (imprint && !ANUtil::isEmptyString(*imprint)) {
    interval = std::atof(imprint->c_str());
  } else if (auto stored = AnalyticsConfig::configureWithKey("analytics_report_interval");
             !stored.isNull()) {
    interval = stored.asDouble();
  } else if (auto own = AnalyticsConfig::configureWithKey("ancReportInterval"); !own.isNull()) {
    interval = own.asDouble();
  }
  return clampInterval(interval);
}

int32_t AnalyticsApp::verifyReportPolicy(int64_t policy) {
  if (policy == BATCH || policy == SEND_INTERVAL || policy == SMART_POLICY) {
    return static_cast<int32_t>(policy);
  }
  if (policy == REALTIME && isIntegratedTestModel()) return REALTIME;
  return BATCH;
}

void AnalyticsApp::activeBackgroundTask() {
  std::lock_guard lock(mutex_);
  if (!backgroundTaskEnabled_ || backgroundTaskIdentifier_ != 0) return;
  backgroundTaskIdentifier_ = nextTaskIdentifier_++;
}

void AnalyticsApp::endBackgroundTask() {
  std::lock_guard lock(mutex_);
  backgroundTaskIdentifier_ = 0;
}

void AnalyticsApp::noAppKeyException() {
  analyticsPrint(kNoAppKeyMessage);
}

std::string AnalyticsApp::description() {
  double interval = logSendInterval();
  int32_t policy = reportPolicy();
  std::string id = appid();
  std::lock_guard lock(mutex_);
  return anFormat(
      "<AnalyticsApp: logEnabled=%d, crashReportEnabled=%d, sendInterval=%f, reportPolicy=%d, "
      "appVersion=%s, appid=%s, channel=%s>",
      logEnabled_, crashReportEnabled_, interval, policy, appVersion_.c_str(), id.c_str(),
      channel_.c_str());
}

void AnalyticsApp::setCrashReportEnabled(bool on) {
  auto& app = sharedInstance();
  bool install = false, remove = false;
  {
    std::lock_guard lock(app.mutex_);
    app.crashReportEnabled_ = on;
    install = on && !app.appCrashedHandlerInstalled_;
    remove = !on && app.appCrashedHandlerInstalled_;
    if (install) app.appCrashedHandlerInstalled_ = true;
    if (remove) app.appCrashedHandlerInstalled_ = false;
  }
  auto& core = AnalyticsContext::current().state().core;
  auto& center = plat::NotificationCenter::defaultCenter();
  if (install) {
    AnalyticsCrashCatcher::installUncaughtExceptionHandler();
    AnalyticsCrashCatcher::setRecording(true);
    std::weak_ptr<AnalyticsContext> context = AnalyticsContext::currentShared();
    center.addObserver(&core, kAnalyticsCrashCatchNotification, nullptr,
                       [context](const plat::Notification& n) {
                         auto owner = context.lock();
                         if (owner) owner->state().core.saveCrashInfo(n.userInfo);
                       });
  } else if (remove) {
    // The process-wide handlers stay: later crashes run them but record nothing.
    center.removeObserver(&core, kAnalyticsCrashCatchNotification, nullptr);
    AnalyticsCrashCatcher::setRecording(false);
  }
}

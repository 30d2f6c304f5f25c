#include "analytics/AnalyticsSession.h"

#include "analytics/ANUtil.h"
#include "analytics/ANWorkDispatch.h"
#include "analytics/AnalyticsApp.h"
#include "analytics/AnalyticsConfig.h"
#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsCrash.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsState.h"
#include "analytics/AnalyticsTexts.h"
#include "platform/base/MainThread.h"

namespace {

double now() {
  return AnalyticsContext::current().now();
}

}  // namespace

AnalyticsSession::AnalyticsSession() : lastLaunchTime(0) {}

AnalyticsSession::~AnalyticsSession() {
  if (observerRegistered) plat::NotificationCenter::defaultCenter().removeObserver(this);
}

AnalyticsSession& AnalyticsSession::sharedInstance() {
  return AnalyticsContext::current().state().session;
}

void AnalyticsSession::startWithAppkey(const std::string& key) {
  startWithAppkey(key, BATCH, "");
}

void AnalyticsSession::startWithAppkey(const std::string& key, uint32_t policy,
                                       const std::string& channel) {
  analyticsLog(kSdkStart, ANUtil::sdkVersionString().c_str(), ANUtil::appVersionString().c_str());
  AnalyticsApp& app = AnalyticsApp::sharedInstance();
  if (ANUtil::isEmptyString(key)) {
    app.noAppKeyException();
    return;
  }
  plat::Value stored = AnalyticsConfig::configureWithKey("appkey");
  if (stored.isString() && stored.asString() != key) analyticsPrint(kAppkeyDifferent);
  AnalyticsConfig::setConfigure(key, "appkey");
  AnalyticsConfig::setConfigure(plat::Value(policy), "ancReportPolicy");
  app.setAppid(key);
  if (!AnalyticsConfig::hasKey("anSeparatedTime")) {
    AnalyticsConfig::setConfigure(now(), "anSeparatedTime");
  }
  plat::NotificationCenter::defaultCenter().post(kGotAppkeyNotification);
  if (!channel.empty()) app.setChannel(channel);

  AnalyticsSession& session = sharedInstance();
  if (!session.observerRegistered.exchange(true)) {
    auto& center = plat::NotificationCenter::defaultCenter();
    std::weak_ptr<AnalyticsContext> context = AnalyticsContext::currentShared();
    // Lifecycle notifications reach the session of the context that registered them.
    auto forward = [context](void (AnalyticsSession::*handler)(const plat::Notification*)) {
      return [context, handler](const plat::Notification& n) {
        auto owner = context.lock();
        if (owner && owner == AnalyticsContext::currentShared())
          (owner->state().session.*handler)(&n);
      };
    };
    center.addObserver(&session, kAppDidBecomeActiveNotification, nullptr,
                       forward(&AnalyticsSession::appActivate));
    center.addObserver(&session, kAppWillResignActiveNotification, nullptr,
                       forward(&AnalyticsSession::appInactivate));
    center.addObserver(&session, kAppWillTerminateNotification, nullptr,
                       forward(&AnalyticsSession::appInactivate));
    AnalyticsApp::setCrashReportEnabled(app.crashReportEnabled());
  }
  std::weak_ptr<AnalyticsContext> context = AnalyticsContext::currentShared();
  plat::performOnMainThread([context] {
    auto owner = context.lock();
    if (owner && owner == AnalyticsContext::currentShared())
      owner->state().session.ensureSessionLaunch();
  });
}

void AnalyticsSession::ensureSessionLaunch() {
  if (sessionStatus == 0) appActivate(nullptr);
}

void AnalyticsSession::appActivate(const plat::Notification*) {
  appInBackGround = false;
  if (sessionStatus == 1) analyticsLog("%s", kAlreadyActive);
  beginSessionTime();
  ANWorkDispatch::sendEvent(plat::Value(), 0);
}

void AnalyticsSession::beginSessionTime() {
  if (sessionStatus != 0) AnalyticsInternal::sharedInstance().sessionID = ANUtil::sessionId();
  sessionStatus = 1;
  lastLaunchTime = now();
  if (AnalyticsApp::sharedInstance().appCrashedHandlerInstalled())
    AnalyticsCrashCatcher::updateSnapshot();
}

double AnalyticsSession::endSessionTime() {
  double seconds = now() - lastLaunchTime;
  return seconds > 7200 ? 3600 : seconds;
}

void AnalyticsSession::appInactivate(const plat::Notification* notification) {
  appInBackGround = true;
  sessionStatus = 2;
  if (notification && notification->name == kAppWillTerminateNotification) appBeKilling = true;
  double duration = endSessionTime();
  AnalyticsApp& app = AnalyticsApp::sharedInstance();
  if (!appCrashed && !appBeKilling && app.backgroundTaskEnabled()) {
    app.activeBackgroundTask();
    ANWorkDispatch::sendEvent(plat::Value(duration), 1);
    return;
  }
  AnalyticsInternal& core = AnalyticsInternal::sharedInstance();
  core.stopSession(duration);
  core.saveAndCleanCache();
}

void AnalyticsSession::profileSignInPUID(const std::string& puid, const std::string& provider) {
  signInPUID(puid, provider.empty() ? "_adhoc" : provider);
}

void AnalyticsSession::signInPUID(const std::string& puid, const std::string& provider) {
  if (ANUtil::isEmptyString(puid)) {
    analyticsLog("%s", kInvalidPuid);
  } else if (puid.size() > 64) {
    analyticsLog("%s", kPuidTooLong);
  } else if (provider.size() > 32) {
    analyticsLog("%s", kProviderTooLong);
  } else {
    ANWorkDispatch::sendEvent(
        plat::Value::dictionary({{"ANProfileProvider", provider}, {"ANProfilePUID", puid}}), 12);
  }
}

void AnalyticsSession::profileSignOff() {
  ANWorkDispatch::sendEvent(plat::Value(), 13);
}

std::string AnalyticsSession::description() const {
  return anFormat("<AnalyticsSession:   observerRegistered=%d, sessionStatus=%d>",
                  observerRegistered.load(), sessionStatus.load());
}

AnalyticsLocation& AnalyticsLocation::sharedInstance() {
  return AnalyticsContext::current().state().location;
}

void AnalyticsLocation::setLatitude(double latitude, double longitude) {
  if (latitude == 0 || longitude == 0) {
    analyticsLog("%s", kBadLocation);
    return;
  }
  AnalyticsLocation& location = sharedInstance();
  std::lock_guard lock(location.mutex_);
  location.fix_ = {latitude, longitude, now()};
}

void AnalyticsLocation::setLocation(const plat::Location& location) {
  setLatitude(location.coordinate.latitude, location.coordinate.longitude);
}

AnalyticsLocation::Fix AnalyticsLocation::fix() const {
  std::lock_guard lock(mutex_);
  return fix_;
}

AnalyticsLocation::Fix AnalyticsLocation::take() {
  std::lock_guard lock(mutex_);
  Fix taken = fix_;
  fix_ = {};
  return taken;
}

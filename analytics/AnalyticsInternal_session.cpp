// The core's side of sessions: the session record, and the split at an account change.
#include "analytics/AnalyticsConfig.h"
#include "analytics/AnalyticsInternal.h"
#include "analytics/AnalyticsSession.h"

void AnalyticsInternal::stopSession(double duration) {
  auto record = std::make_shared<ANTerminate>(duration);
  setEventSessionID(*record);
  AnalyticsLocation::Fix fix = AnalyticsLocation::sharedInstance().fix();
  if (fix.latitude != 0 && fix.longitude != 0) {
    fix = AnalyticsLocation::sharedInstance().take();
    record->latitude = fix.latitude;
    record->longitude = fix.longitude;
    record->gps_time = static_cast<int64_t>(fix.gps_time * 1000);
  }
  record->pageViews.insert(record->pageViews.end(), pageItems.begin(), pageItems.end());
  pageItems.clear();
  terminates.push_back(record);
  record->outputUMLog();
}

void AnalyticsInternal::splitSession() {
  AnalyticsSession& session = AnalyticsSession::sharedInstance();
  if (session.sessionStatus == 0) return;
  stopSession(session.endSessionTime());
  generateEnvelopeFile();
  session.beginSessionTime();
}

void AnalyticsInternal::handleSignIn(const plat::Value& profile) {
  const std::string& provider = profile["ANProfileProvider"].asString();
  const std::string& puid = profile["ANProfilePUID"].asString();
  if (AnalyticsConfig::configureWithKey("ANProfileProvider").asString() == provider &&
      AnalyticsConfig::configureWithKey("ANProfilePUID").asString() == puid) {
    return;
  }
  splitSession();
  AnalyticsConfig::setConfigure(provider, "ANProfileProvider");
  AnalyticsConfig::setConfigure(puid, "ANProfilePUID");
}

void AnalyticsInternal::handleSignOff() {
  if (!AnalyticsConfig::hasKey("ANProfilePUID")) return;
  splitSession();
  AnalyticsConfig::removeConfigureWithKey("ANProfilePUID");
  AnalyticsConfig::removeConfigureWithKey("ANProfileProvider");
}

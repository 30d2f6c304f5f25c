#include "analytics/AnalyticsThrift.h"

#include <cstdlib>

#include "analytics/ANUtil.h"
#include "analytics/AnalyticsApp.h"
#include "analytics/AnalyticsConfig.h"
#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsImprint.h"
#include "analytics/AnalyticsInternal.h"
#include "analytics/AnalyticsJob.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsState.h"
#include "analytics/AnalyticsTexts.h"
#include "analytics/AnalyticsUtility.h"
#include "analytics/records/ThriftBytes.h"

namespace {

constexpr size_t kLargestEntry = 4194304;
constexpr size_t kLargestEntityKiB = 205;
constexpr int kMostChanges = 19;

int64_t milliseconds(double seconds) {
  return static_cast<int64_t>(seconds * 1000);
}

int64_t nowMs() {
  return milliseconds(AnalyticsContext::current().now());
}

void logException(const std::string& what) {
  analyticsPrint(anFormat(kExceptionOccurred, what.c_str(), "(null)"));
}

// An identifier seen for the first time: its snapshot, and the journal line that reports it.
void trackNewIdentifier(AT::IdTracking& tracking, const std::string& kind, const std::string& value,
                        int32_t version, int64_t ts) {
  AT::IdSnapshot snapshot;
  snapshot.__set_identity(value);
  snapshot.__set_version(version);
  snapshot.__set_ts(ts);
  tracking.snapshots[kind] = snapshot;
  AT::IdJournal journal;
  journal.__set_domain(kind);
  journal.__set_new_id(value);
  journal.__set_ts(ts);
  tracking.journals.push_back(journal);
}

std::string identifierValue(const std::string& kind) {
  if (kind == "mc") return ANUtil::deviceMacAddressString();
  if (kind == "idfv") {
    std::string idfv = ANUtil::idfv();
    return idfv == "00000000-0000-0000-0000-000000000000" ? "" : idfv;
  }
  return ANUtil::sharedUDIDString();
}

const char* const kIdentifierKinds[] = {"mc", "idfv", "oid"};

}  // namespace

AnalyticsThrift::AnalyticsThrift() {
  buildDeviceInfo();
  buildAppInfo();
  buildMiscInfo();
  buildActivateMsg();
  buildIdTracking();
}

AnalyticsThrift& AnalyticsThrift::sharedInstance() {
  return AnalyticsContext::current().state().thrift();
}

void AnalyticsThrift::buildDeviceInfo() {
  AT::DeviceInfo device;
  device.__set_device_id(ANUtil::sharedUDIDString());
  device.__set_mac_address(ANUtil::deviceMacAddressString());
  device.__set_model(ANUtil::deviceModelString());
  device.__set_os(ANUtil::osString());
  device.__set_os_version(ANUtil::osVersionString());
  AT::Resolution resolution;
  resolution.__set_height(ANUtil::resolutionHeight());
  resolution.__set_width(ANUtil::resolutionWidth());
  device.__set_resolution(resolution);
  entry_.__set_device_info(device);
}

void AnalyticsThrift::buildAppInfo() {
  AT::AppInfo app;
  AnalyticsApp& settings = AnalyticsApp::sharedInstance();
  app.__set_key(settings.appid());
  app.__set_version(ANUtil::appVersionString());
  app.__set_package_name(ANUtil::appPackageNameString());
  app.__set_sdk_type(AT::SDKType::IOS);
  app.__set_sdk_version(ANUtil::sdkVersionString());
  app.__set_channel(settings.channel());
  AnalyticsInternal& core = AnalyticsInternal::sharedInstance();
  if (!core.wrapperType.empty()) app.__set_wrapper_type(core.wrapperType);
  if (!core.wrapperVersion.empty()) app.__set_wrapper_version(core.wrapperVersion);
  entry_.__set_app_info(app);
}

void AnalyticsThrift::buildMiscInfo() {
  AT::MiscInfo misc;
  misc.__set_time_zone(ANUtil::timezone());
  misc.__set_language(ANUtil::languageString());
  misc.__set_country(ANUtil::countryString());
  misc.__set_carrier(ANUtil::carrierString());
  misc.__set_display_name(ANUtil::appDisplayNameString());
  std::string access = ANUtil::accessString();
  misc.__set_access_type(access == "WiFi"          ? AT::AccessType::WIFI
                         : access == "CellNetwork" ? AT::AccessType::CELLULAR
                                                   : AT::AccessType::UNKNOWN);
  entry_.__set_misc_info(misc);
}

void AnalyticsThrift::buildActivateMsg() {
  if (AnalyticsConfig::hasKey("anActivateMsg")) return;
  AT::ActivateMsg message;
  message.__set_ts(nowMs());
  activateMsg_ = message;
  entry_.__set_activate_msg(message);
}

void AnalyticsThrift::setActivateMsgFlag() {
  if (entry_.__isset.activate_msg && activateMsg_ && !AnalyticsConfig::hasKey("anActivateMsg")) {
    AnalyticsConfig::setConfigure(plat::Value(static_cast<long long>(activateMsg_->ts)),
                                  "anActivateMsg");
  }
  entry_.__isset.activate_msg = false;
}

void AnalyticsThrift::writeIdTracking() {
  idTracking_ = AT::IdTracking();
  idTracking_.__set_snapshots({});
  idTracking_.__set_journals({});
  for (const char* kind : kIdentifierKinds) {
    std::string value = identifierValue(kind);
    if (value.empty()) continue;
    int64_t ts = nowMs();
    trackNewIdentifier(idTracking_, kind, value, 1, ts);
  }
  idTracking_.__set_checksum("checksum");
  std::string bytes = records::toBytes(idTracking_);
  AnalyticsConfig::setConfigure(plat::Value(plat::Value::Bytes(bytes.begin(), bytes.end())),
                                "anIDTracking");
}

void AnalyticsThrift::buildIdTracking() {
  plat::Value stored = AnalyticsConfig::configureWithKey("anIDTracking");
  if (stored.isNull()) {
    writeIdTracking();
    entry_.__set_id_tracking(idTracking_);
    return;
  }
  const plat::Value::Bytes& bytes = stored.asBytes();
  std::string failure;
  if (!records::fromBytes(std::string(bytes.begin(), bytes.end()), idTracking_, &failure))
    logException(failure);
  idTracking_.__set_journals({});
  if (!idTracking_.__isset.snapshots) idTracking_.__set_snapshots({});
  for (const char* kind : kIdentifierKinds) {
    std::string countKey = anFormat("an%sVersionNum", kind);
    int64_t changes = AnalyticsConfig::configureWithKey(countKey).asInt();
    if (changes == 0) changes = 1;
    if (changes > kMostChanges) continue;
    std::string value = identifierValue(kind);
    int64_t ts = nowMs();
    auto found = idTracking_.snapshots.find(kind);
    if (found != idTracking_.snapshots.end()) {
      AT::IdSnapshot& snapshot = found->second;
      if (value.empty() || value == snapshot.identity) continue;
      AT::IdJournal journal;
      journal.__set_domain(kind);
      journal.__set_new_id(value);
      journal.__set_old_id(snapshot.identity);
      journal.__set_ts(ts);
      idTracking_.journals.push_back(journal);
      snapshot.__set_identity(value);
      snapshot.__set_version(snapshot.version + 1);
      snapshot.__set_ts(ts);
      AnalyticsConfig::setConfigure(plat::Value(static_cast<long long>(changes + 1)), countKey);
    } else if (!value.empty()) {
      trackNewIdentifier(idTracking_, kind, value, static_cast<int32_t>(changes), ts);
    }
  }
  idTracking_.__set_checksum("checksum");
  entry_.__set_id_tracking(idTracking_);
}

void AnalyticsThrift::saveIdTracking() {
  if (idTracking_.snapshots.empty()) return;
  idTracking_.__set_journals({});
  entry_.__set_id_tracking(idTracking_);
  std::string bytes = records::toBytes(idTracking_);
  AnalyticsConfig::setConfigure(plat::Value(plat::Value::Bytes(bytes.begin(), bytes.end())),
                                "anIDTracking");
}

void AnalyticsThrift::buildSessions() {
  std::vector<AT::Session> sessions;
  for (const ANRecord& record : AnalyticsInternal::sharedInstance().terminates) {
    const auto& ended = static_cast<const ANTerminate&>(*record);
    AT::Session session;
    session.__set_id(ended.session_id);
    session.__set_end_time(milliseconds(ended.ts));
    session.__set_start_time(milliseconds(ended.ts - ended.duration));
    session.__set_duration(milliseconds(ended.duration));
    if (!ended.pageViews.empty()) {
      std::vector<AT::Page> pages;
      for (const auto& [name, seconds] : ended.pageViews) {
        AT::Page page;
        page.__set_page_name(name);
        page.__set_duration(int64_t{seconds} * 1000);
        pages.push_back(page);
      }
      session.__set_pages(pages);
    }
    if (ended.hasGPSInfo()) {
      AT::Location location;
      location.__set_lat(ended.latitude);
      location.__set_lng(ended.longitude);
      location.__set_ts(ended.gps_time);
      session.__set_locations({location});
    }
    sessions.push_back(std::move(session));
  }
  entry_.sessions = std::move(sessions);
  entry_.__isset.sessions = true;
}

void AnalyticsThrift::buildInstantMessages() {
  std::vector<AT::InstantMsg> messages;
  // The last message of the session, made when there is none yet.
  auto messageFor = [&messages](const std::string& sessionId) -> AT::InstantMsg& {
    for (auto it = messages.rbegin(); it != messages.rend(); ++it) {
      if (it->id == sessionId) {
        if (!it->__isset.events) it->__set_events({});
        return *it;
      }
    }
    AT::InstantMsg message;
    message.__set_id(sessionId);
    message.__set_events({});
    messages.push_back(message);
    return messages.back();
  };
  AnalyticsInternal& core = AnalyticsInternal::sharedInstance();
  for (const ANRecord& record : core.events) {
    const auto& counted = static_cast<const ANEvent&>(*record);
    AT::Event event;
    event.__set_name(counted.event_id);
    AT::PropertyValue label;
    label.__set_string_value(counted.label);
    event.__set_properties({{counted.event_id, label}});
    event.__set_duration(counted.du);
    event.__set_acc(static_cast<int32_t>(counted.acc));
    event.__set_ts(milliseconds(counted.ts));
    messageFor(counted.session_id).events.push_back(std::move(event));
  }
  for (const ANRecord& record : core.errors) {
    const auto& report = static_cast<const ANError&>(*record);
    AT::Error error;
    error.__set_ts(milliseconds(report.ts));
    error.__set_context(report.context);
    AT::InstantMsg message;
    message.__set_id(report.session_id);
    message.__set_errors({error});
    messages.push_back(std::move(message));
  }
  for (const ANRecord& record : core.ekv) {
    const auto& keyed = static_cast<const ANEkv&>(*record);
    AT::InstantMsg& message = messageFor(keyed.session_id);
    if (keyed.type != "ekv") continue;
    AT::Event event;
    event.__set_name(keyed.id);
    std::map<std::string, AT::PropertyValue> properties;
    keyed.values.forEach([&properties](const std::string& key, const plat::Value& value) {
      AT::PropertyValue property;
      if (value.isString()) {
        property.__set_string_value(value.asString());
      } else if (value.isNumber()) {
        property.__set_long_value(value.asInt());
      }
      properties[key] = property;
    });
    event.__set_properties(properties);
    event.__set_duration(keyed.du);
    event.__set_ts(milliseconds(keyed.ts));
    message.events.push_back(std::move(event));
  }
  entry_.instant_msgs = std::move(messages);
  entry_.__isset.instant_msgs = true;
}

std::optional<std::string> AnalyticsThrift::toData() {
  AT::ClientStats stats;
  if (auto v = AnalyticsConfig::configureWithKey("anSuccessfulRequests"); !v.isNull()) {
    stats.__set_successful_requests(static_cast<int32_t>(v.asInt()));
  }
  if (auto v = AnalyticsConfig::configureWithKey("anFailedRequests"); !v.isNull()) {
    stats.__set_failed_requests(static_cast<int32_t>(v.asInt()));
  }
  if (auto v = AnalyticsConfig::configureWithKey("anLastRequestSpentMS"); !v.isNull()) {
    stats.__set_last_request_spent_ms(static_cast<int32_t>(v.asInt()));
  }
  entry_.__set_client_stats(stats);

  AnalyticsInternal& core = AnalyticsInternal::sharedInstance();
  AnalyticsJob& job = AnalyticsJob::sharedInstance();
  int defcon = job.defcon();
  if (defcon == 0) {
    buildInstantMessages();
  } else {
    core.removeInstanceMsgs();
    entry_.instant_msgs.clear();
    entry_.__isset.instant_msgs = false;
    if (defcon >= 2) core.removeSessions();
    if (defcon == 2) core.buildDummySession();
  }
  buildSessions();

  if (auto imprint = storedImprint(); imprint && validateImprintChecksum(*imprint)) {
    entry_.__set_imprint(*imprint);
  }

  entry_.__isset.control_policy = false;
  if (defcon == 0 && (job.disguised() || job.latency() >= 1)) {
    AT::Latent latent;
    latent.__set_latency(static_cast<int32_t>(job.latency()));
    latent.__set_interval(0);
    plat::Value last = AnalyticsConfig::configureWithKey("lastPostInterval");
    double elapsed =
        last.isNull() ? -1 : AnalyticsUtility::durationNowWith1970TimeInterval(last.asDouble());
    if (elapsed > 0) latent.__set_interval(milliseconds(elapsed));
    AT::ControlPolicy policy;
    policy.__set_latent(latent);
    entry_.__set_control_policy(policy);
  }

  entry_.__isset.group_info = false;
  plat::Value groups = AnalyticsConfig::configureWithKey("anExperimentGroupInfo");
  if (groups.isDictionary() && groups.size() > 0 && !AnalyticsApp::isIntegratedTestModel()) {
    std::map<std::string, int32_t> info;
    groups.forEach([&info](const std::string& key, const plat::Value& group) {
      info[key] = static_cast<int32_t>(group.asInt());
    });
    entry_.__set_group_info(info);
  }

  entry_.__isset.active_user = false;
  if (auto puid = AnalyticsConfig::configureWithKey("ANProfilePUID"); !puid.isNull()) {
    AT::ActiveUser user;
    user.__set_puid(puid.asString());
    user.__set_provider(AnalyticsConfig::configureWithKey("ANProfileProvider").asString());
    entry_.__set_active_user(user);
  }

  std::string failure;
  std::string bytes = records::toBytes(entry_, &failure);
  if (!failure.empty()) logException(failure);
  if (bytes.size() >= kLargestEntry) {
    core.removeCacheData();
    return std::nullopt;
  }
  lastLength_ = static_cast<int32_t>(bytes.size());
  return bytes;
}

std::optional<std::string> AnalyticsThrift::entityData() {
  auto bytes = toData();
  if (!bytes) return std::nullopt;
  auto compressed = ANDeflated::deflatedData(*bytes);
  if (!compressed) return std::nullopt;
  if (compressed->size() / 1024 >= kLargestEntityKiB) {
    AnalyticsInternal::sharedInstance().removeCacheData();
    return std::nullopt;
  }
  return compressed;
}

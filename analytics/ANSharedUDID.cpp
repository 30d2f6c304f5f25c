#include "analytics/ANSharedUDID.h"

#include <algorithm>
#include <map>
#include <vector>

#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsState.h"
#include "analytics/AnalyticsTexts.h"
#include "platform/base/Files.h"
#include "platform/base/ValueCoding.h"
#include "platform/crypto/Digest.h"
#include "platform/crypto/Uuid.h"

namespace {

constexpr const char* kRecordKey = "SharedUDID";
constexpr const char* kIdKey = "SharedUDID";
constexpr const char* kAppUidKey = "SharedUDID_appUID";
constexpr const char* kCreatedKey = "SharedUDID_createdTS";
constexpr const char* kSlotKey = "SharedUDID_slot";
constexpr const char* kOptOutKey = "SharedUDID_optOutTS";

std::string slotPath(const std::string& slotName) {
  return plat::files::join(AnalyticsContext::current().sharedUdidDir(), slotName);
}

std::string optedOutValue() {
  return std::string(40, '0');
}

std::string dateText(const plat::Value& date) {
  return anFormat("%.0f", date.asDouble());
}

}  // namespace

plat::Value ANSharedUDID::getDictFromPasteboard(const std::string& slotName) {
  auto data = plat::files::readFile(slotPath(slotName));
  if (data) {
    auto record = plat::decodeValue(*data);
    if (record && record->isDictionary()) return *record;
  }
  return plat::Value::dictionary();
}

bool ANSharedUDID::setDictForPasteboard(const plat::Value& record, const std::string& slotName) {
  plat::files::createDirectories(AnalyticsContext::current().sharedUdidDir());
  return plat::files::writeFileAtomically(slotPath(slotName), plat::encodeValue(record));
}

std::string ANSharedUDID::generateFreshSharedUDID() {
  auto digest = plat::crypto::md5(plat::crypto::randomUuidString());
  return plat::crypto::hex(digest) +
         anFormat("%08lx", static_cast<unsigned long>(AnalyticsContext::current().random()));
}

std::string ANSharedUDID::value() {
  return valueWithError(nullptr);
}

std::string ANSharedUDID::valueWithError(SharedUDIDStatus* status) {
  SharedUDIDCache& cache = AnalyticsContext::current().state().sharedUdid;
  // Computed once under the lock, even when two threads ask first at the same time.
  std::lock_guard lock(cache.mutex);
  if (cache.value) {
    if (status) *status = {0, kUdidInCache};
    return *cache.value;
  }
  std::string result = compute(status);
  cache.value = result;
  return result;
}

std::string ANSharedUDID::compute(SharedUDIDStatus* status) {
  AnalyticsContext& context = AnalyticsContext::current();
  plat::UserDefaults& defaults = context.settings();

  plat::Value stored = defaults.objectForKey(kRecordKey);
  bool hasRecord = stored.isDictionary();
  plat::Value record = hasRecord ? stored : plat::Value();
  // The application id lives in the local record; without it every launch would make a new one
  // and never find its own slot.
  std::string appUid = hasRecord ? record.get(kAppUidKey).asString() : "";
  if (appUid.empty()) appUid = defaults.stringForKey(kAppUidKey);
  if (appUid.empty()) appUid = plat::crypto::randomUuidString();

  std::string identifier = hasRecord ? record.get(kIdKey).asString() : "";
  std::string mySlot = hasRecord ? record.get(kSlotKey).asString() : "";
  plat::Value optOutDate = hasRecord ? record.get(kOptOutKey) : plat::Value();
  bool optedOut = !optOutDate.isNull();

  std::string freeSlot;
  std::map<std::string, int> counts;
  std::vector<std::string> order;  // identifiers in the order first seen
  for (int i = 0; i < kSharedUdidSlotCount; ++i) {
    std::string name = kSharedUdidSlotPrefix + std::to_string(i);
    plat::Value slot = getDictFromPasteboard(name);
    std::string found = slot.get(kIdKey).asString();
    if (found.empty()) {
      if (freeSlot.empty()) freeSlot = name;
      continue;
    }
    if (counts[found]++ == 0) order.push_back(found);
    if (slot.get(kAppUidKey).asString() == appUid) {
      mySlot = name;
      if (optedOut) {
        optOutDate = slot.get(kOptOutKey);
        optedOut = !optOutDate.isNull();
      }
    }
  }
  std::string mostFrequent;
  int best = 0;
  for (const std::string& id : order) {
    if (counts[id] >= best) {
      best = counts[id];
      mostFrequent = id;
    }
  }

  bool save = false;
  bool compromised = false;
  if (identifier.empty()) {
    std::string chosen = mostFrequent.empty() ? generateFreshSharedUDID() : mostFrequent;
    if (!hasRecord) {
      record = plat::Value::dictionary();
      record.set(kIdKey, chosen);
      record.set(kAppUidKey, appUid);
      record.set(kCreatedKey, context.now());
      save = true;
    }
    identifier = chosen;
  } else if (!mostFrequent.empty() && mostFrequent != identifier) {
    compromised = true;
  }

  if (!freeSlot.empty() && (mySlot.empty() || mySlot == freeSlot)) {
    if (record.isDictionary()) {
      record.set(kSlotKey, freeSlot);
      save = true;
      setDictForPasteboard(record, freeSlot);
    }
  }
  if (save) {
    defaults.setObject(kRecordKey, record);
    defaults.synchronize();
  }

  if (optedOut) {
    if (status) {
      *status = {1, anFormat(kUdidOptedOut, appUid.c_str(), dateText(optOutDate).c_str())};
    }
    return optedOutValue();
  }
  if (status)
    *status =
        compromised ? SharedUDIDStatus{2, kUdidDiscrepancy} : SharedUDIDStatus{0, kUdidRetrieved};
  return identifier;
}

void ANSharedUDID::setOptOut(bool optOut) {
  value();
  AnalyticsContext& context = AnalyticsContext::current();
  plat::UserDefaults& defaults = context.settings();
  plat::Value record = defaults.objectForKey(kRecordKey);
  if (!record.isDictionary()) record = plat::Value::dictionary();
  if (optOut) {
    record.set(kOptOutKey, context.now());
  } else {
    record.remove(kOptOutKey);
  }
  defaults.setObject(kRecordKey, record);
  defaults.synchronize();
  SharedUDIDCache& cache = context.state().sharedUdid;
  std::lock_guard lock(cache.mutex);
  cache.value.reset();
}

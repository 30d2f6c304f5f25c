// The record cache: what the core holds when a session ends, read back at the next session begin.
#include <cctype>

#include "analytics/ANUtil.h"
#include "analytics/AnalyticsConfig.h"
#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsCrashFile.h"
#include "analytics/AnalyticsInternal.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsUtility.h"
#include "platform/base/Files.h"
#include "platform/base/ValueCoding.h"

namespace {

constexpr size_t kShortestEntry = 11;

plat::Value archive(const std::vector<ANRecord>& records) {
  plat::Value coded = plat::Value::array();
  for (const ANRecord& record : records) coded.append(record->encode());
  std::string bytes = plat::encodeValue(coded);
  return plat::Value(plat::Value::Bytes(bytes.begin(), bytes.end()));
}

// The records of one entry; an unreadable entry gives none.
std::vector<ANRecord> unarchive(const plat::Value& entry) {
  std::vector<ANRecord> records;
  const plat::Value::Bytes& bytes = entry.asBytes();
  if (bytes.size() < kShortestEntry) return records;
  auto coded = plat::decodeValue(
      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (!coded || !coded->isArray()) return records;
  for (size_t i = 0; i < coded->size(); ++i) {
    if (auto record = decodeRecord(coded->at(i))) records.push_back(record);
  }
  return records;
}

bool sameVersion(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string AnalyticsInternal::cacheFilePath() {
  return AnalyticsUtility::cacheFilePath();
}

std::string AnalyticsInternal::crashFilePath() {
  return AnalyticsUtility::hiddenCacheFile("_analyticsCrash.log");
}

void AnalyticsInternal::archiveCacheToFile() {
  plat::Value body = plat::Value::dictionary();
  if (!terminates.empty()) body.set("terminate", archive(terminates));
  if (!events.empty()) body.set("event", archive(events));
  if (!errors.empty()) body.set("error", archive(errors));
  if (!ekv.empty()) body.set("ekv", archive(ekv));
  std::string path = cacheFilePath();
  if (body.size() == 0) {
    plat::files::remove(path);
    return;
  }
  // Written also when the application is being terminated: one small atomic write keeps what
  // would otherwise be lost.
  plat::files::createDirectories(AnalyticsContext::current().cachesDir());
  plat::files::writeFileAtomically(path,
                                   plat::encodeValue(plat::Value::dictionary({{"body", body}})));
}

void AnalyticsInternal::loadCache() {
  std::string current = ANUtil::appVersionString();
  // A crash report written directly by the crash handler.
  if (auto crash = readCrashFile(crashFilePath())) {
    plat::files::remove(crashFilePath());
    auto session = std::make_shared<ANTerminate>(crash->duration);
    session->ts = crash->ts;
    session->session_id = crash->sessionId;
    terminates.push_back(session);
    if (sameVersion(crash->appVersion, current)) {
      auto report = std::make_shared<ANError>();
      report->ts = crash->ts;
      report->session_id = crash->sessionId;
      report->context = crash->report;
      errors.push_back(report);
      report->outputUMLog();
    }
  }

  std::string path = cacheFilePath();
  if (!plat::files::exists(path)) return;
  auto data = plat::files::readFile(path);
  plat::files::remove(path);  // a cache is read at most once
  if (!data) return;
  auto decoded = plat::decodeValue(*data);
  if (!decoded) return;
  const plat::Value& body = (*decoded)["body"];
  if (!body.isDictionary() || body.size() == 0) return;
  for (auto& record : unarchive(body["terminate"])) terminates.push_back(record);
  for (auto& record : unarchive(body["event"])) events.push_back(record);
  for (auto& record : unarchive(body["ekv"])) ekv.push_back(record);

  plat::Value stored = AnalyticsConfig::configureWithKey("ANAppVersion");
  if (stored.isNull()) {
    errors.clear();
  } else if (sameVersion(stored.asString(), current)) {
    auto loaded = unarchive(body["error"]);
    if (!loaded.empty()) loaded.front()->outputUMLog();
    for (auto& record : loaded) errors.push_back(record);
  }
}

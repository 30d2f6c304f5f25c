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

// The "body" dictionary of the cache file at `path`; null when there is none or it is unreadable.
plat::Value readCacheBody(const std::string& path) {
  auto data = plat::files::readFile(path);
  if (!data) return plat::Value();
  auto decoded = plat::decodeValue(*data);
  if (!decoded) return plat::Value();
  return (*decoded)["body"];
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
  std::string path = cacheFilePath();
  // A cache whose records are not held in memory (a second session end before the next begin,
  // or a crash after the application went to the background) keeps them: the new ones are added
  // after them. One read at this process's last begin holds only what memory holds already.
  plat::Value earlier = cacheLoaded_ ? plat::Value() : readCacheBody(path);
  auto entry = [&earlier](const char* key, const std::vector<ANRecord>& held) {
    std::vector<ANRecord> records = unarchive(earlier[key]);
    records.insert(records.end(), held.begin(), held.end());
    return records;
  };
  plat::Value body = plat::Value::dictionary();
  for (auto [key, held] : {std::pair{"terminate", &terminates}, std::pair{"event", &events},
                           std::pair{"error", &errors}, std::pair{"ekv", &ekv}}) {
    std::vector<ANRecord> records = entry(key, *held);
    if (!records.empty()) body.set(key, archive(records));
  }
  bool saved;
  if (body.size() == 0) {
    saved = plat::files::remove(path);  // true when nothing is left there
  } else {
    // Written also when the application is being terminated: one small atomic write keeps what
    // would otherwise be lost.
    plat::files::createDirectories(AnalyticsContext::current().cachesDir());
    saved = plat::files::writeFileAtomically(
        path, plat::encodeValue(plat::Value::dictionary({{"body", body}})));
  }
  // The crash report read at the last begin is in the new cache now; when the write failed, the
  // files read then stay as they are.
  if (cacheLoaded_ && saved) plat::files::remove(crashFilePath());
  cacheLoaded_ = false;
}

void AnalyticsInternal::forgetLoadedCache() {
  if (!cacheLoaded_) return;
  plat::files::remove(cacheFilePath());
  plat::files::remove(crashFilePath());
  cacheLoaded_ = false;
}

void AnalyticsInternal::loadCache() {
  // Files read at an earlier begin of this process hold nothing that memory did not take.
  if (cacheLoaded_) return;
  std::string path = cacheFilePath();
  if (plat::files::exists(path)) {
    loadCacheBody(readCacheBody(path));
    cacheLoaded_ = true;
  }
  // A crash report that the crash handler wrote straight to disk comes after the cache's
  // records, so that the version rule of cached reports cannot drop it.
  if (auto crash = readCrashFile(crashFilePath())) {
    auto session = std::make_shared<ANTerminate>(crash->duration);
    session->ts = crash->ts;
    session->session_id = crash->sessionId;
    terminates.push_back(session);
    if (sameVersion(crash->appVersion, ANUtil::appVersionString())) {
      auto report = std::make_shared<ANError>();
      report->ts = crash->ts;
      report->session_id = crash->sessionId;
      report->context = crash->report;
      errors.push_back(report);
      report->outputUMLog();
    }
    cacheLoaded_ = true;
  }
}

void AnalyticsInternal::loadCacheBody(const plat::Value& body) {
  if (!body.isDictionary() || body.size() == 0) return;
  for (auto& record : unarchive(body["terminate"])) terminates.push_back(record);
  for (auto& record : unarchive(body["event"])) events.push_back(record);
  for (auto& record : unarchive(body["ekv"])) ekv.push_back(record);

  plat::Value stored = AnalyticsConfig::configureWithKey("ANAppVersion");
  if (stored.isNull()) {
    errors.clear();
  } else if (sameVersion(stored.asString(), ANUtil::appVersionString())) {
    auto loaded = unarchive(body["error"]);
    if (!loaded.empty()) loaded.front()->outputUMLog();
    for (auto& record : loaded) errors.push_back(record);
  }
}

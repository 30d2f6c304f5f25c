#include "analytics/AnalyticsInternal.h"

#include "analytics/ANUtil.h"
#include "analytics/ANWorker.h"
#include "analytics/AnalyticsConfig.h"
#include "analytics/AnalyticsContext.h"
#include "analytics/AnalyticsEnvelope.h"
#include "analytics/AnalyticsImprint.h"
#include "analytics/AnalyticsJob.h"
#include "analytics/AnalyticsLog.h"
#include "analytics/AnalyticsSession.h"
#include "analytics/AnalyticsState.h"
#include "analytics/AnalyticsTexts.h"
#include "analytics/AnalyticsUtility.h"
#include "platform/base/Files.h"
#include "platform/base/NotificationCenter.h"

namespace {

constexpr uint64_t kLargestEnvelopeFile = 262144;
constexpr uint64_t kSmallestEnvelopeFile = 10;
constexpr int64_t kOldestEnvelopeFile = 1209600;
constexpr size_t kFilesPerJob = 10;

}  // namespace

AnalyticsInternal::AnalyticsInternal() {
  sendLogQueue.setMaxConcurrentOperationCount(1);
  otherQueue.setMaxConcurrentOperationCount(2);
}

AnalyticsInternal::~AnalyticsInternal() {
  plat::NotificationCenter::defaultCenter().removeObserver(this);
  sendLogQueue.cancelAllOperations();
  sendLogQueue.waitUntilAllOperationsAreFinished();
  otherQueue.cancelAllOperations();
  otherQueue.waitUntilAllOperationsAreFinished();
}

AnalyticsInternal& AnalyticsInternal::sharedInstance() {
  AnalyticsInternal& core = AnalyticsContext::current().state().core;
  std::call_once(core.sessionIdOnce_, [&core] { core.sessionID = ANUtil::sessionId(); });
  return core;
}

std::optional<std::string> AnalyticsInternal::imprintValueWithKey(const std::string& key) {
  return ::imprintValueWithKey(key);
}

void AnalyticsInternal::workEvent(const ANDispatchEvent& event) {
  AnalyticsSession& session = AnalyticsSession::sharedInstance();
  switch (event.type) {
    case 0:
      loadCacheFromTempContainer();
      loadCache();
      if (!session.appInBackGround) AnalyticsJob::preparePerformJob(0);
      analyticsLog(kSessionBeginLog, sessionID.c_str());
      break;
    case 1:
      // Termination ended this session and saved the cache at once; ending it here again would
      // report the session twice.
      if (session.appBeKilling) break;
      stopSession(event.object.asDouble());
      if (AnalyticsApp::sharedInstance().reportPolicy() == SMART_POLICY &&
          AnalyticsApp::sharedInstance().backgroundTaskEnabled()) {
        AnalyticsJob::preparePerformJob(1);
      }
      saveAndCleanCache();
      analyticsLog(kSessionEndLog, sessionID.c_str());
      break;
    case 2:
    case 3:
    case 4:
      if (event.record && checkEventLimit()) {
        setEventSessionID(*event.record);
        addEvent(event.record, arrayWithEventType(event.type));
      }
      break;
    case 5:
    case 6:
    case 7:
    case 8:
      if (!event.record) break;
      setEventSessionID(*event.record);
      if (event.type == 5) eventBegin(std::static_pointer_cast<ANEvent>(event.record));
      if (event.type == 6) eventEnd(static_cast<const ANEvent&>(*event.record));
      if (event.type == 7) ekvBegin(std::static_pointer_cast<ANEkv>(event.record));
      if (event.type == 8) ekvEnd(static_cast<const ANEkv&>(*event.record));
      break;
    case 9:
      pageItems.emplace_back(event.object[size_t{0}].asString(),
                             static_cast<int>(event.object[1].asInt()));
      analyticsLog(kPageDurationLog, event.object.debugString().c_str());
      break;
    case 10: {
      double now = AnalyticsContext::current().now();
      pageItemsHash[event.object.asString()] = now;
      analyticsLog(kPageBeginLog, event.object.asString().c_str(), anFormat("%f", now).c_str());
      break;
    }
    case 11:
      pageEnd(event.object.asString());
      break;
    case 12:
      handleSignIn(event.object);
      break;
    case 13:
      handleSignOff();
      break;
    default:
      analyticsLog("%s", kUnknownEventType);
  }
}

std::vector<ANRecord>* AnalyticsInternal::arrayWithEventType(int type) {
  AnalyticsSession& session = AnalyticsSession::sharedInstance();
  if (session.appInBackGround || session.sessionStatus == 0) return &tmpContainer;
  switch (type) {
    case 1:
      return &terminates;
    case 2:
      return &events;
    case 3:
      return &errors;
    case 4:
      return &ekv;
    default:
      return nullptr;
  }
}

void AnalyticsInternal::addEvent(const ANRecord& record, std::vector<ANRecord>* container) {
  if (!record || !container) return;
  container->push_back(record);
  record->outputUMLog();
  if (!AnalyticsSession::sharedInstance().appInBackGround) AnalyticsJob::preparePerformJob(1);
}

void AnalyticsInternal::setEventSessionID(ANBaseEvent& record) {
  if (sessionID.empty()) {
    analyticsLog("%s", kEmptySessionId);
    return;
  }
  record.session_id = sessionID;
}

bool AnalyticsInternal::hasJob() const {
  return !terminates.empty() || !events.empty() || !ekv.empty() || !errors.empty();
}

bool AnalyticsInternal::generateEnvelopeFile() {
  // The records count as sent only once their envelope file is written.
  if (!AnalyticsEnvelope::sharedInstance().makeEnvelopeData()) return false;
  AnalyticsConfig::accumulateCount(static_cast<int64_t>(events.size() + ekv.size()),
                                   "anPeriodEvtCount");
  removeCacheData();
  return true;
}

void AnalyticsInternal::removeCacheData() {
  forgetLoadedCache();
  terminates.clear();
  events.clear();
  errors.clear();
  ekv.clear();
  ekvBeginTimes.clear();
  eventBeginTimes.clear();
}

void AnalyticsInternal::removeInstanceMsgs() {
  ekv.clear();
  events.clear();
  errors.clear();
}

void AnalyticsInternal::buildDummySession() {
  auto record = std::make_shared<ANTerminate>(60);
  record->session_id = sessionID;
  terminates.push_back(record);
}

void AnalyticsInternal::saveAndCleanCache() {
  if (!hasJob()) {
    forgetLoadedCache();  // what was read back has been dropped since
    return;
  }
  archiveCacheToFile();
  removeCacheData();
}

void AnalyticsInternal::loadCacheFromTempContainer() {
  for (const ANRecord& record : tmpContainer) {
    if (record->type == "event") {
      events.push_back(record);
    } else if (record->type == "ekv") {
      ekv.push_back(record);
    } else if (record->type == "error") {
      errors.push_back(record);
    }
  }
  tmpContainer.clear();
}

void AnalyticsInternal::setErrorSupportInfo(const plat::Value& info) {
  if (info.isNull()) return;
  AnalyticsInternal& core = AnalyticsContext::current().state().core;
  std::lock_guard lock(core.supportInfoMutex_);
  core.error_support_info_ = info;
}

plat::Value AnalyticsInternal::errorSupportInfo() const {
  std::lock_guard lock(supportInfoMutex_);
  return error_support_info_;
}

void AnalyticsInternal::validateEnvelopeFiles(std::vector<std::string>& paths) {
  double now = AnalyticsContext::current().now();
  std::vector<std::string> kept;
  for (const std::string& path : paths) {
    auto size = plat::files::fileSize(path);
    if (!size) continue;
    auto created = AnalyticsUtility::creationTime(path);
    int64_t age = created ? static_cast<int64_t>(now - *created) : 0;
    if (*size<kLargestEnvelopeFile&& * size> kSmallestEnvelopeFile && age <= kOldestEnvelopeFile) {
      kept.push_back(path);
    } else {
      AnalyticsUtility::removeFile(path);
    }
  }
  AnalyticsUtility::sortFileWithCreatedTime(kept);
  paths = std::move(kept);
}

std::vector<std::string> AnalyticsInternal::prepareJobFiles() {
  std::vector<std::string> files = AnalyticsUtility::envelopeFiles();
  validateEnvelopeFiles(files);
  if (files.empty() && (hasJob() || !AnalyticsConfig::hasKey("anActivateMsg"))) {
    generateEnvelopeFile();
    files = AnalyticsUtility::envelopeFiles();
    validateEnvelopeFiles(files);
  }
  while (files.size() > kFilesPerJob) {
    AnalyticsUtility::removeFile(files.front());
    files.erase(files.begin());
  }
  return files;
}

void AnalyticsInternal::beginPerformJob() {
  std::vector<std::string> files = prepareJobFiles();
  std::shared_ptr<AnalyticsContext> context = AnalyticsContext::currentShared();
  const AnalyticsEndpoints& endpoints = context->endpoints();
  if (files.empty() || (endpoints.primaryLog.empty() && endpoints.fallbackLog.empty())) return;
  analyticsLog("%s", kPrepareToPost);
  AnalyticsJob::sharedInstance().setJobRunning(true);
  sendLogQueue.addOperation(std::make_shared<ANWorker>(context, std::move(files)));
}

// The core of the analytics: every recorded fact waits in its arrays until it is packed into an
// envelope file or kept in the record cache across launches. All of it runs on the main thread,
// one dispatched event at a time.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analytics/ANRecords.h"
#include "platform/base/OperationQueue.h"
#include "platform/base/Value.h"

struct ANDispatchEvent {
  int16_t type = 0;
  ANRecord record;     // events 2 to 8
  plat::Value object;  // the other events' argument
};

// Timers are told apart by the pair of id and label (or primary key), so "ab"+"c" and "a"+"bc"
// are two timers; a missing label is its own value.
using ANTimerKey = std::pair<std::string, std::optional<std::string>>;

class AnalyticsInternal {
 public:
  AnalyticsInternal();
  ~AnalyticsInternal();

  static AnalyticsInternal& sharedInstance();
  static std::optional<std::string> imprintValueWithKey(const std::string& key);
  static void setErrorSupportInfo(const plat::Value& info);

  void workEvent(const ANDispatchEvent& event);

  std::vector<ANRecord>* arrayWithEventType(int type);
  void addEvent(const ANRecord& record, std::vector<ANRecord>* container);
  void setEventSessionID(ANBaseEvent& record);
  bool hasJob() const;
  bool generateEnvelopeFile();
  // Keeps the envelope files that may still be sent (11 bytes up to 256 KiB, at most 14 days
  // old; the others are deleted), oldest first.
  void validateEnvelopeFiles(std::vector<std::string>& paths);
  // The files of the next upload job: the ten newest valid ones (older ones are deleted); an
  // envelope is made first when none waits and there are records or the first activation.
  std::vector<std::string> prepareJobFiles();
  // Starts an upload job of those files on the upload queue; with no log endpoint configured the
  // files only wait.
  void beginPerformJob();
  void removeCacheData();
  void removeSessions() { terminates.clear(); }
  void removeInstanceMsgs();
  void buildDummySession();
  void saveAndCleanCache();
  void loadCacheFromTempContainer();

  // The record cache (one file in the caches folder, and the crash handler's report file).
  void archiveCacheToFile();
  void loadCache();
  static std::string cacheFilePath();
  static std::string crashFilePath();

  // Sessions.
  void stopSession(double duration);
  void handleSignIn(const plat::Value& profile);
  void handleSignOff();

  // Events.
  bool checkEventLimit();
  void eventBegin(const std::shared_ptr<ANEvent>& record);
  void eventEnd(const ANEvent& record);
  void ekvBegin(const std::shared_ptr<ANEkv>& record);
  void ekvEnd(const ANEkv& record);
  void pageEnd(const std::string& name);

  // Crashes: the observer of the crash notification, and the record it makes.
  void saveCrashInfo(const plat::Value& userInfo);
  void error(const std::string& exceptionText);

  std::vector<ANRecord> terminates, events, errors, ekv, tmpContainer;
  std::map<ANTimerKey, std::vector<std::shared_ptr<ANEvent>>> eventBeginTimes;
  std::map<ANTimerKey, std::vector<std::shared_ptr<ANEkv>>> ekvBeginTimes;
  std::vector<std::pair<std::string, int>> pageItems;
  std::map<std::string, double> pageItemsHash;
  // The image description of crash reports; set from whichever thread installs the handlers.
  plat::Value errorSupportInfo() const;
  std::string sessionID;
  std::string wrapperType, wrapperVersion;
  plat::OperationQueue sendLogQueue;  // uploads, one at a time
  plat::OperationQueue otherQueue;    // online parameters, two at a time

 private:
  friend class AnalyticsState;
  void splitSession();
  void loadCacheBody(const plat::Value& body);
  void forgetLoadedCache();
  // The cache and crash files read at the last session begin stay on disk while memory holds
  // their records, until those are packed or saved again: a process killed meanwhile loses none.
  bool cacheLoaded_ = false;
  std::once_flag sessionIdOnce_;
  mutable std::mutex supportInfoMutex_;
  plat::Value error_support_info_;
};

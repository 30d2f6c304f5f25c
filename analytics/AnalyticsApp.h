// The in-memory settings of the analytics component (one per context): application key, channel,
// send policy and interval, and the switches. Read from any thread, so every field is guarded.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

class AnalyticsContext;

enum ReportPolicy : int32_t {
  REALTIME = 0,       // send at once (integrated test mode only)
  BATCH = 1,          // send at launch
  SEND_INTERVAL = 6,  // fixed interval
  SMART_POLICY = 8,
};

class AnalyticsApp {
 public:
  explicit AnalyticsApp(AnalyticsContext& context);

  static AnalyticsApp& sharedInstance();

  std::string appid();  // falls back to the stored "appkey"
  void setAppid(const std::string& key);
  std::string channel() const;
  void setChannel(const std::string& channel);
  int32_t reportPolicy();  // recomputed from the stored and imprint values on every call
  void setReportPolicy(int32_t policy);
  double logSendInterval() const;
  void setLogSendInterval(double seconds);
  bool logEnabled() const;
  bool encryptEnabled() const;
  bool backgroundTaskEnabled() const;
  bool crashReportEnabled() const;
  bool appCrashedHandlerInstalled() const;
  std::string appVersion() const;
  uint64_t backgroundTaskIdentifier() const;

  static void setEncryptEnabled(bool on);
  static void setBackgroundTaskEnabled(bool on);
  static void setLogEnabled(bool on);
  static void setAppVersion(const std::string& version);
  static void setCrashReportEnabled(bool on);

  static bool isIntegratedTestModel();
  static double minReportInterval();
  static int32_t verifyReportPolicy(int64_t policy);

  // Holds a background task while the session ends or an upload runs. This platform keeps a
  // process running in the background, so holding one only marks it held until it expires.
  void activeBackgroundTask();
  void endBackgroundTask();
  void noAppKeyException();
  std::string description();

 private:
  AnalyticsContext& context_;
  mutable std::mutex mutex_;
  std::string appid_;
  std::string channel_ = "App Store";
  int32_t reportPolicy_ = 0;
  double logSendInterval_ = 90;
  bool logEnabled_ = false;
  bool encryptEnabled_ = false;
  bool backgroundTaskEnabled_ = true;
  bool crashReportEnabled_ = true;
  bool appCrashedHandlerInstalled_ = false;
  std::string appVersion_;
  uint64_t backgroundTaskIdentifier_ = 0;
  uint64_t nextTaskIdentifier_ = 1;
};

// The send policy's state: the back-off level, the delays and whether an upload job runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

class AnalyticsJob {
 public:
  static AnalyticsJob& sharedInstance();

  // Asks whether an upload is due and starts it, now or after a drawn delay; trigger 0 is a
  // session begin, 1 a new record or a session end.
  static void preparePerformJob(int trigger);

  // The gates of that decision.
  bool ready() const;
  static bool defconPass();
  static bool shouldCommitJob(int trigger);
  static bool checkLatentCondition();
  static double elapsedTimeFromPost();  // seconds since the last upload, -1 when none
  uint32_t calculateLatency();
  static uint32_t latencySeed();
  static uint32_t randomNumFrom(uint32_t low, uint32_t high);
  static void beginPerformJobDelay();

  int defcon() const { return defcon_.load(); }
  void setDefcon(int level) { defcon_.store(level); }
  uint32_t latency_sdk() const { return latencySdk_.load(); }
  void setLatency_sdk(uint32_t seconds) { latencySdk_.store(seconds); }
  // The delay the policy chose for the current upload, and whether it was a disguised one.
  uint32_t latency() const { return latency_.load(); }
  void setLatency(uint32_t seconds) { latency_.store(seconds); }
  bool disguised() const { return disguised_.load(); }
  void setDisguised(bool on) { disguised_.store(on); }
  bool latencyJob() const { return latencyJob_.load(); }
  void setLatencyJob(bool on) { latencyJob_.store(on); }
  bool jobRunning() const { return jobRunning_.load(); }
  void setJobRunning(bool running) { jobRunning_.store(running); }

  // "<AnalyticsJob: self.defcon=.., self.latency=.., self.jobRunning=..>" for logs.
  std::string description() const;

 private:
  std::atomic<int> defcon_{0};
  std::atomic<uint32_t> latencySdk_{0};
  std::atomic<uint32_t> latency_{0};
  std::atomic<bool> disguised_{false};
  std::atomic<bool> latencyJob_{false};
  std::atomic<bool> jobRunning_{false};
};

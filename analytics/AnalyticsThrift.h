// Turns the records the core holds, with the device and application values, into one log entry,
// its Thrift bytes and the compressed entity an envelope carries. Keeps the reported device
// identifiers between runs and sends the stored server settings back with every entry.
#pragma once

#include <optional>
#include <string>

#include "analytics/records/analytics_types.h"

class AnalyticsThrift {
 public:
  AnalyticsThrift();

  static AnalyticsThrift& sharedInstance();

  // The entry's bytes, or nullopt when it is 4 MiB or more (then the held records are dropped).
  std::optional<std::string> toData();
  // toData() compressed; nullopt when there is nothing or it is 205 KiB or more compressed.
  std::optional<std::string> entityData();
  // The length of the last entry's bytes before compression.
  int32_t lastLength() const { return lastLength_; }

  void setActivateMsgFlag();
  void saveIdTracking();

  const AT::UsageLogEntry& entry() const { return entry_; }

 private:
  void buildDeviceInfo();
  void buildAppInfo();
  void buildMiscInfo();
  void buildActivateMsg();
  void buildIdTracking();
  void writeIdTracking();
  void buildSessions();
  void buildInstantMessages();

  AT::UsageLogEntry entry_;
  std::optional<AT::ActivateMsg> activateMsg_;
  AT::IdTracking idTracking_;
  int32_t lastLength_ = 0;
};

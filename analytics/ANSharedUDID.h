// A device identifier kept by every taking-part application in its own settings and in one of 100
// shared slots (files in a folder outside any application's home); a newcomer adopts the
// identifier most slots carry.
#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "platform/base/Value.h"

inline constexpr const char* kSharedUdidDomain = "org.SharedUDID";
inline constexpr const char* kSharedUdidSlotPrefix = "org.SharedUDID.slot.";
inline constexpr int kSharedUdidSlotCount = 100;

struct SharedUDIDStatus {
  int code = 0;  // 0 found, 1 opted out, 2 copies disagree
  std::string description;
};

// The process-wide cache of one context.
struct SharedUDIDCache {
  std::mutex mutex;
  std::optional<std::string> value;
};

class ANSharedUDID {
 public:
  static std::string value();
  static std::string valueWithError(SharedUDIDStatus* status);
  static void setOptOut(bool optOut);

  // A slot's record; an empty dictionary when the slot is missing or unreadable.
  static plat::Value getDictFromPasteboard(const std::string& slotName);
  static bool setDictForPasteboard(const plat::Value& record, const std::string& slotName);
  static std::string generateFreshSharedUDID();

 private:
  static std::string compute(SharedUDIDStatus* status);
};

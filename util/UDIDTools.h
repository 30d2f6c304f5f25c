// The device UUID: made once from a random vendor identifier and kept in the device secret store
// under the description "UUID", so that it outlives removing and reinstalling the app's data.
#pragma once

#include <optional>
#include <string>

class UDIDTools {
 public:
  // The device UUID; forwards to UDID_iOS7().
  static std::string UDID();
  // The stored UUID, or a new one that is stored first (returned even when storing failed; the
  // next call tries again).
  static std::string UDID_iOS7();
  // The stored UUID text; nullopt when there is none (or it is empty or unreadable).
  static std::optional<std::string> getUDIDFromKeyChain();
  // Stores the text: replaces an existing item (true whatever that gives), else adds one.
  static bool settUDIDToKeyChain(const std::string& text);
  // Replaces the stored text; false when there is no item or it cannot be written.
  static bool updateUDIDInKeyChain(const std::string& text);
};

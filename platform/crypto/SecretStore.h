// The device's secret store, the stand-in for the keychain: small items, each found by its
// description (compared without regard to ASCII case), kept in a folder outside the app home
// ($VOCAB_DEVICE_DIR, by default ~/.config/vocab-device) so that they outlive removing the app's
// data. Every write is atomic: a reader sees an item's old data or its new data, never a part.
#pragma once

#include <optional>
#include <string>

namespace plat {

class SecretStore {
 public:
  static std::string folder();
  static void setFolder(const std::string& path);  // "" goes back to the environment's choice

  // The item's data; nullopt when there is no such item or it cannot be read.
  static std::optional<std::string> find(const std::string& description);
  // Adds a new item; false when one with that description exists or it cannot be written. Of
  // two adds of one item at once, from any threads or processes, exactly one is kept and told so;
  // on a file system without hard links they take turns under a lock on the folder.
  static bool add(const std::string& description, const std::string& data);
  // Replaces the data of an existing item; false when there is none or it cannot be written.
  static bool update(const std::string& description, const std::string& data);
  // True when no item of that description is left.
  static bool remove(const std::string& description);
};

}  // namespace plat

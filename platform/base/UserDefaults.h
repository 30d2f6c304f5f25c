// Small typed settings of the application kept in a file under Library/Preferences, the way the
// analytics and the word-text key keep theirs. Changes are held in memory and reach the file,
// atomically, at synchronize(). Safe to use from any thread.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "platform/base/Value.h"

namespace plat {

class UserDefaults {
 public:
  // The defaults of the current app home (a test's own home gets its own defaults).
  static UserDefaults& standardUserDefaults();

  explicit UserDefaults(std::string path);  // reads the file now; a damaged file reads as empty

  const std::string& path() const { return path_; }

  Value objectForKey(const std::string& key) const;        // null when missing
  std::string stringForKey(const std::string& key) const;  // "" unless a string
  int64_t integerForKey(const std::string& key) const;     // 0 when missing
  double doubleForKey(const std::string& key) const;
  bool boolForKey(const std::string& key) const;

  void setObject(const std::string& key, Value value);  // a null value removes the key
  void setString(const std::string& key, const std::string& value) { setObject(key, value); }
  void setInteger(const std::string& key, int64_t value) {
    setObject(key, Value(static_cast<long long>(value)));
  }
  void setDouble(const std::string& key, double value) { setObject(key, value); }
  void setBool(const std::string& key, bool value) { setObject(key, value); }
  void removeObject(const std::string& key);

  Value dictionaryRepresentation() const;

  // Writes pending changes; false when the file could not be written (the values stay pending).
  bool synchronize();

 private:
  std::string path_;
  mutable std::mutex mutex_;
  Value values_ = Value::dictionary();
  bool dirty_ = false;
};

}  // namespace plat

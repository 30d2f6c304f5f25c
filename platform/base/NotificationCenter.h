// Named notifications within the process: observers register for a name (or every name) from a
// given sender (or any sender); post() calls the matching observers at once, on the posting
// thread, in the order they registered.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/Value.h"

namespace plat {

struct Notification {
  std::string name;
  const void* object = nullptr;  // the sender
  Value userInfo;
};

class NotificationCenter {
 public:
  using Block = std::function<void(const Notification&)>;

  static NotificationCenter& defaultCenter();

  // `observer` names the registration for removeObserver and is never called through; an empty
  // name matches every name, a null object every sender.
  void addObserver(const void* observer, const std::string& name, const void* object, Block block);
  // Removes the observer's registrations (those for `name` and `object` only, when given). A
  // post under way on the same thread (an observer removing another) skips them too.
  void removeObserver(const void* observer);
  void removeObserver(const void* observer, const std::string& name, const void* object);

  void post(const std::string& name, const void* object = nullptr, Value userInfo = {});

 private:
  struct Registration {
    const void* observer;
    std::string name;
    const void* object;
    Block block;
    bool removed = false;
  };
  void removeMatching(const std::function<bool(const Registration&)>& match);

  std::mutex mutex_;
  std::vector<std::shared_ptr<Registration>> registrations_;
};

}  // namespace plat

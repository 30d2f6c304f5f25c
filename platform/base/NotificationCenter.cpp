#include "platform/base/NotificationCenter.h"

namespace plat {

NotificationCenter& NotificationCenter::defaultCenter() {
  static NotificationCenter* center = new NotificationCenter;  // outlives every static observer
  return *center;
}

void NotificationCenter::addObserver(const void* observer, const std::string& name,
                                     const void* object, Block block) {
  auto registration =
      std::make_shared<Registration>(Registration{observer, name, object, std::move(block), false});
  std::lock_guard lock(mutex_);
  registrations_.push_back(std::move(registration));
}

void NotificationCenter::removeObserver(const void* observer) {
  removeMatching([&](const Registration& r) { return r.observer == observer; });
}

void NotificationCenter::removeObserver(const void* observer, const std::string& name,
                                        const void* object) {
  removeMatching([&](const Registration& r) {
    return r.observer == observer && (name.empty() || r.name == name) &&
           (!object || r.object == object);
  });
}

void NotificationCenter::removeMatching(const std::function<bool(const Registration&)>& match) {
  std::lock_guard lock(mutex_);
  std::erase_if(registrations_, [&](const std::shared_ptr<Registration>& r) {
    if (!match(*r)) return false;
    r->removed = true;
    return true;
  });
}

void NotificationCenter::post(const std::string& name, const void* object, Value userInfo) {
  const Notification notification{name, object, std::move(userInfo)};
  std::vector<std::shared_ptr<Registration>> matching;
  {
    std::lock_guard lock(mutex_);
    for (const auto& r : registrations_) {
      if ((r->name.empty() || r->name == name) && (!r->object || r->object == object))
        matching.push_back(r);
    }
  }
  for (const auto& r : matching) {
    Block block;
    {
      std::lock_guard lock(mutex_);
      if (r->removed) continue;  // removed by an earlier observer of this post
      block = r->block;
    }
    block(notification);
  }
}

}  // namespace plat

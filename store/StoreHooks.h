// What the store tells the screens above it. The store may not call a screen directly; the screen
// registers an implementation at start-up, and tests register one that records the calls.
#pragma once

class StoreHooks {
 public:
  virtual ~StoreHooks() = default;

  // A server reply brought the number of unread messages (the review screen's badge).
  virtual void refreshMsgNum(int /*count*/) {}

  // The registered hooks, or nullptr. The pointer is not owned; unregister with nullptr before
  // the object goes away.
  static void install(StoreHooks* hooks);
  static StoreHooks* installed();
};

// What the store tells the screens above it. The store may not call a screen directly; the
// application fills the entries in at start-up, and tests put recorders there. An entry left
// empty does nothing.
#pragma once

#include <functional>

struct StoreHooks {
  // A server reply brought the number of unread messages (the review screen's badge).
  std::function<void(int count)> refreshMsgNum;

  // Set on the main thread before the store is used; read on any thread after.
  static StoreHooks& shared();
};

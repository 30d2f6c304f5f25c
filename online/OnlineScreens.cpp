#include "online/OnlineScreens.h"

#include <atomic>

namespace {
// Set at start-up on the main thread; read by the backup threads' completions on the main thread.
std::atomic<OnlineScreens*> registered{nullptr};
}  // namespace

void OnlineScreens::install(OnlineScreens* screens) {
  registered = screens;
}

OnlineScreens* OnlineScreens::installed() {
  return registered;
}

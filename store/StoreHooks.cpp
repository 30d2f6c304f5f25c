#include "store/StoreHooks.h"

#include <atomic>

namespace {
std::atomic<StoreHooks*> gHooks{nullptr};
}

void StoreHooks::install(StoreHooks* hooks) {
  gHooks.store(hooks);
}

StoreHooks* StoreHooks::installed() {
  return gHooks.load();
}

#include "store/StoreHooks.h"

// Never destroyed: a restore's thread stores the server's values, which may call a hook, and may
// still be doing so as the process exits.
StoreHooks& StoreHooks::shared() {
  static auto& hooks = *new StoreHooks;
  return hooks;
}

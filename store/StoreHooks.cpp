#include "store/StoreHooks.h"

StoreHooks& StoreHooks::shared() {
  static StoreHooks hooks;
  return hooks;
}

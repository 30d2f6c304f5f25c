#include "settings/SettingsHooks.h"

SettingsHooks& SettingsHooks::shared() {
  static SettingsHooks hooks;
  return hooks;
}

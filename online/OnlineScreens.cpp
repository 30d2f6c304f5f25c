#include "online/OnlineScreens.h"

OnlineScreens& OnlineScreens::shared() {
  static OnlineScreens screens;
  return screens;
}

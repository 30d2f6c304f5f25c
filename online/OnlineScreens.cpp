#include "online/OnlineScreens.h"

#include "online/RecordViewController.h"

OnlineScreens& OnlineScreens::shared() {
  static OnlineScreens screens;
  return screens;
}

std::shared_ptr<plat::ViewController> OnlineScreens::defaultMessagesScreen(
    const std::string& parentName) {
  auto messages = std::make_shared<RecordViewController>();
  messages->setParentName(parentName);
  return messages;
}

std::shared_ptr<plat::ViewController> OnlineScreens::messagesScreen(const std::string& parentName) {
  if (const auto& make = shared().makeMessagesScreen) return make(parentName);
  return defaultMessagesScreen(parentName);
}

#include "online/OnlineScreens.h"

#include <atomic>

#include "online/RecordViewController.h"

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

std::shared_ptr<plat::ViewController> OnlineScreens::makeMessagesScreen(
    const std::string& parentName) {
  auto messages = std::make_shared<RecordViewController>();
  messages->setParentName(parentName);
  return messages;
}

std::shared_ptr<plat::ViewController> OnlineScreens::messagesScreen(const std::string& parentName) {
  if (OnlineScreens* screens = installed()) return screens->makeMessagesScreen(parentName);
  return OnlineScreens().makeMessagesScreen(parentName);
}

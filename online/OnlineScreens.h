// What the account, backup and sync code tells the screens above it (the review screen, the
// word-book tab, the messages list). The application fills the entries in at start-up, and tests
// put recorders there. An entry left empty does nothing.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace plat {
class ViewController;
}

struct OnlineScreens {
  // The review screen saves its pending answer before the study data leaves or is replaced.
  std::function<void()> closeProgram;
  // The review screen reloads its queue after the study data changed.
  std::function<void()> downDataFinish;
  // The review screen refreshes its notice panel from the personal values.
  std::function<void()> refreshADInfo;
  // The word-book tab forgets what it loaded.
  std::function<void()> cleardata_learn;
  // The messages screen, to be pushed from the account screen (titled `parentName`); the
  // learner's messages unless replaced.
  std::function<std::shared_ptr<plat::ViewController>(const std::string& parentName)>
      makeMessagesScreen = defaultMessagesScreen;

  static std::shared_ptr<plat::ViewController> defaultMessagesScreen(const std::string& parentName);
  // The shared entries' messages screen, or the default one when that entry is empty.
  static std::shared_ptr<plat::ViewController> messagesScreen(const std::string& parentName);

  // Set at start-up on the main thread; called on the main thread.
  static OnlineScreens& shared();

  // Runs a hook when it is set.
  static void call(const std::function<void()>& hook) {
    if (hook) hook();
  }
};

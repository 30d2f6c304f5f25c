// What the account, backup and sync code tells the screens above it (the review screen, the
// word-book tab, the messages list). Those screens register an implementation at start-up; with
// none registered nothing is told. Tests register one that records the calls.
#pragma once

#include <memory>
#include <string>

namespace plat {
class ViewController;
}

class OnlineScreens {
 public:
  virtual ~OnlineScreens() = default;

  // The review screen saves its pending answer before the study data leaves or is replaced.
  virtual void closeProgram() {}
  // The review screen reloads its queue after the study data changed.
  virtual void downDataFinish() {}
  // The review screen refreshes its notice panel from the personal values.
  virtual void refreshADInfo() {}
  // The word-book tab forgets what it loaded.
  virtual void cleardata_learn() {}
  // The messages screen, to be pushed from the account screen (titled `parentName`); the
  // learner's messages unless replaced.
  virtual std::shared_ptr<plat::ViewController> makeMessagesScreen(const std::string& parentName);
  // The installed screens' messages screen, or the default one when none are installed.
  static std::shared_ptr<plat::ViewController> messagesScreen(const std::string& parentName);

  // The registered screens, or nullptr. Not owned; unregister with nullptr before they go.
  static void install(OnlineScreens* screens);
  static OnlineScreens* installed();
};

// What the account, backup and sync code tells the screens above it (the review screen, the
// word-book tab). The application fills the entries in at start-up, and tests put recorders
// there. An entry left empty does nothing.
#pragma once

#include <functional>

struct OnlineScreens {
  // The review screen saves its pending answer before the study data leaves or is replaced.
  std::function<void()> closeProgram;
  // The review screen reloads its queue after the study data changed.
  std::function<void()> downDataFinish;
  // The review screen refreshes its notice panel from the personal values.
  std::function<void()> refreshADInfo;
  // The word-book tab forgets what it loaded.
  std::function<void()> cleardata_learn;

  // Set at start-up on the main thread; called on the main thread.
  static OnlineScreens& shared();

  // Runs a hook when it is set.
  static void call(const std::function<void()>& hook) {
    if (hook) hook();
  }
};

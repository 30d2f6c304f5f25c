// What the application delegate asks of screens built in other folders: the review screen's and
// the word-book tab's class operations, and the excellent-mnemonic refresh. MainTabs.cpp fills
// them in as those screens join the application (tests put recorders there); an entry left empty
// does nothing.
#pragma once

#include <functional>

struct ScreenHooks {
  // The review screen (the first tab).
  std::function<void()> reviewCloseProgram;    // saves its state
  std::function<void()> reviewDownDataFinish;  // rebuilds its queue from the due words
  std::function<void()> reviewRefreshADInfo;   // reloads its notice panel
  // The word-book tab: saves the text of its text page.
  std::function<void()> booksCloseProgram;
  // Fetches the excellent-mnemonic list and stores it, with or without an account.
  std::function<void()> getExcellentMnemonic;

  // Runs a hook when it is set.
  static void call(const std::function<void()>& hook) {
    if (hook) hook();
  }
};

// What the settings screens ask of screens built in other folders that cannot be reached from
// here: the review screen's class operations, the night overlay, the word-book tab and the
// share sheet. The application fills them in at start-up; tests put recorders there. An entry left
// empty does nothing.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/draw/Image.h"
#include "platform/view/ViewController.h"

struct SettingsHooks {
  // The review screen: the settings tab's message badge, saving its state, reloading its data.
  std::function<void(int count)> refreshMsgNum;
  std::function<void()> closeProgram;
  std::function<void()> downDataFinish;
  // The application delegate's night overlay.
  std::function<void(bool on)> topViewState;
  // The word-book library is laid out afresh when it next refreshes.
  std::function<void()> cleardata_learn;
  // The share sheet, presented from `from` with a text and a picture (may be null).
  std::function<void(plat::ViewController& from, const std::string& text,
                     std::shared_ptr<plat::Image> picture)>
      share;

  static SettingsHooks& shared();

  static void call(const std::function<void()>& hook) {
    if (hook) hook();
  }
};

// Registers the review screen's class operations with the lower parts that must reach it: the
// store (the message badge), the word lists (plan changes) and the account and backup code
// (saving, reloading, the notice panel). Called once at start-up.
#pragma once

#include "online/OnlineScreens.h"

namespace ReviewScreenHooks {

// The account and backup code's side: the review screen's parts of it. The application may
// extend it with the other screens' parts before installing it.
class Online : public OnlineScreens {
 public:
  void closeProgram() override;
  void downDataFinish() override;
  void refreshADInfo() override;
};

// Installs the store's and the word lists' hooks, and `online` (never destroyed) for the account
// and backup code.
void install(Online& online);

}  // namespace ReviewScreenHooks

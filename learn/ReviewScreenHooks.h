// Registers the review screen's class operations with the lower parts that must reach it: the
// store (the message badge), the word lists (plan changes) and the account and backup code
// (saving, reloading, the notice panel). Called once at start-up.
#pragma once

namespace ReviewScreenHooks {

// Fills in the store's and the word lists' hooks, and the review screen's entries of the
// account and backup code's (OnlineScreens); the application adds the other screens' entries.
void install();

}  // namespace ReviewScreenHooks

// The text page's word extraction: ExtractWord over a text on a thread of its own, its progress
// shown on the main thread as it goes (never holding the thread back), and its result handed to
// the main thread when the thread is done.
#pragma once

#include <functional>
#include <string>

#include "platform/base/Value.h"

namespace textextraction {

// The fraction done, on the main thread, in order; the last report is 1.0.
using Progress = std::function<void(const plat::Value& fraction)>;
// [number of headwords, all, in study, not in study], on the main thread after the last progress
// report; a store that fails mid-way gives a count of 0.
using Done = std::function<void(const plat::Value& result)>;

// From the main thread: starts the thread and returns. Both callbacks may outlive their caller;
// they hold what they need themselves (a weak pointer to a screen).
void start(std::string text, Progress progress, Done done);

}  // namespace textextraction

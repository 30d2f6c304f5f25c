// Clear-and-relearn on the device: the learner's study progress and its bookkeeping values go in
// one transaction, so a failing deletion leaves the study data whole instead of half-emptied.
#pragma once

#include <string>

namespace StudyDataWipe {

// True when everything was deleted; otherwise rolled back, with the reason in `error`.
bool wipe(std::string& error);

}  // namespace StudyDataWipe

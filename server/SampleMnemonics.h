// Excellent mnemonics for a fresh stand-in, so that the special book and the word card's strip
// have something to show: a few hand-written mnemonics of common words, each stored as a shared
// mnemonic and picked as that word's excellent one, under the word ids of the app's library.
#pragma once

#include <string>

#include "server/State.h"

namespace standin {

// Adds the samples whose words the library (the app's learn.db, opened read-only) holds, when
// the state has no excellent mnemonics yet. "" on success, else why the library was not read.
std::string addSampleMnemonics(State& state, const std::string& libraryPath);

}  // namespace standin

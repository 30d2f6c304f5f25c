// The picture of a planned word's review schedule that a learnt row shows in place of its button.
#pragma once

#include <memory>

#include "platform/draw/Image.h"
#include "store/CallDB.h"

// The state's images drawn in order into one picture of the first image's size; null when the
// first image is missing. Pictures are kept per level.
std::shared_ptr<plat::Image> forgetStateImage(const CallDB::WordForgetState& state);

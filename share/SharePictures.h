// The two pictures a counted daily sign-in is shared with: a template image with the learner's
// sign-in numbers written over it in bold green.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/draw/Image.h"

namespace SharePictures {

// "gui/share1.png": the sign-in's number, all sign-ins ("nSignInAll") and the current run of
// sign-ins ("nSignInCur").
std::shared_ptr<plat::Image> getSharePngOne(int32_t countSignNum);
// "gui/share2.png": all sign-ins and the number of planned words.
std::shared_ptr<plat::Image> getSharePngTwo();

// Picture one goes with sign-in numbers whose decimal text ends in "8".
bool usesPictureOne(int32_t countSignNum);

}  // namespace SharePictures

// The tab bar's four icons, drawn in code as shapes that the bar tints: a card with a tick
// (review), a book (word books), rising bars (statistics), a gear (settings).
#pragma once

#include <memory>

#include "platform/draw/Image.h"

namespace TabIcons {

std::shared_ptr<plat::Image> review();
std::shared_ptr<plat::Image> books();
std::shared_ptr<plat::Image> statistics();
std::shared_ptr<plat::Image> settings();

}  // namespace TabIcons

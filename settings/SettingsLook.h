// Looks the settings screens share: the table separator, the on/off switch images and the
// switch buttons, and the small edit fields.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/draw/Color.h"
#include "platform/draw/Image.h"
#include "platform/view/Button.h"
#include "platform/view/TableViewCell.h"
#include "platform/view/TextField.h"

namespace settingslook {

plat::Color separator();
// "gui/audio_open.png" for on, "gui/audio_close.png" for off.
std::shared_ptr<plat::Image> switchImage(bool on);
// A switch button at `x`, centred in a cell of `cellHeight`, keeping its distance to the right
// edge; `tapped` runs on touch-up inside.
std::shared_ptr<plat::Button> switchButton(double x, double cellHeight,
                                           std::function<void(plat::Button&)> tapped);
// A bold 15-point centred field on "gui/login_edit.png" with the number pad.
std::shared_ptr<plat::TextField> editField(const plat::Rect& frame, double cornerRadius);
// Centres `view` vertically in a cell of `cellHeight`.
void centreVertically(plat::View& view, double cellHeight);
// Adds a control that is kept across cells to `content`, `fromRight` points from its right edge,
// where it stood when first made: moved on from a cell that an accessory narrowed, it would
// otherwise narrow once more with its new cell and creep over the row's title.
void addFromRight(plat::View& content, const std::shared_ptr<plat::View>& control,
                  double fromRight);
// Puts `control`, already in `cell`'s content, `fromRight` points from the row's own right edge:
// a row with a disclosure arrow has a narrower content, and its control would otherwise stand
// left of the same control in a row without one.
void alignFromRowEdge(plat::TableViewCell& cell, plat::View& control, double fromRight);
// The value "0"/"1" of a switch's personal value, flipped: returns the new state.
bool toggle(const std::string& key);

}  // namespace settingslook

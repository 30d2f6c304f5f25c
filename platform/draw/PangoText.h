// The pango objects shared by text measurement and text drawing. Both lay text out on the same
// context, with unhinted metrics and unrounded glyph positions, so that a measured size is exactly
// the extent of the drawn text at any scale.
#pragma once

#include <pango/pangocairo.h>

#include <string>

#include "platform/draw/Font.h"

namespace plat::pangotext {

// The calling thread's layout context.
PangoContext* context();

// A description of `font` for pango, owned by a per-thread cache.
const PangoFontDescription* description(const Font& font);

// The family list handed to pango for a family name ("" is the system font).
std::string familyList(const std::string& family);
// The same without the CJK face: the family list for quotation marks in English text.
std::string latinFamilyList(const std::string& family);

}  // namespace plat::pangotext

#include "ui/MyTextField.h"

namespace {

plat::Rect insetSides(const plat::Rect& bounds) {
  return bounds.inset({0, MyTextField::kSideInset, 0, MyTextField::kSideInset});
}

}  // namespace

plat::Rect MyTextField::textRectForBounds(const plat::Rect& bounds) const {
  return insetSides(bounds);
}

plat::Rect MyTextField::editingRectForBounds(const plat::Rect& bounds) const {
  return insetSides(bounds);
}

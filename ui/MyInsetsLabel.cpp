#include "ui/MyInsetsLabel.h"

void MyInsetsLabel::drawTextInRect(plat::DrawContext& context, const plat::Rect& rect) {
  plat::Label::drawTextInRect(context, rect.inset(insets_));
}

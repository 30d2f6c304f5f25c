#include "platform/draw/HtmlLineBreak.h"

namespace plat::html {
namespace {

bool isInlineLevel(litehtml::style_display display) {
  return display == litehtml::display_inline || display == litehtml::display_inline_block ||
         display == litehtml::display_inline_table || display == litehtml::display_inline_text;
}

// Whether something before `el` in its parent (or, for the first child of an inline element,
// before that element) still shares the break's line.
bool contentBefore(const litehtml::element::ptr& el) {
  litehtml::element::ptr parent = el->parent();
  if (!parent) return false;
  int index = -1;
  for (size_t i = 0; i < parent->get_children_count(); ++i) {
    if (parent->get_child(int(i)) == el) index = int(i);
  }
  for (int i = index - 1; i >= 0; --i) {
    litehtml::element::ptr sibling = parent->get_child(i);
    if (sibling->is_white_space()) continue;
    const litehtml::style_display display = sibling->get_display();
    if (display == litehtml::display_none) continue;
    // Floats and positioned boxes stand beside the lines, not in them.
    if (sibling->get_float() != litehtml::float_none || sibling->is_positioned()) continue;
    if (sibling->is_break() || !isInlineLevel(display)) return false;
    return true;
  }
  return isInlineLevel(parent->get_display()) && contentBefore(parent);
}

}  // namespace

int LineBreak::render(int x, int y, int max_width, bool second_pass) {
  const int width = litehtml::el_break::render(x, y, max_width, second_pass);
  if (startsLine()) m_pos.height = line_height();
  return width;
}

bool LineBreak::startsLine() const {
  auto self = std::const_pointer_cast<litehtml::element>(shared_from_this());
  return !contentBefore(self);
}

}  // namespace plat::html

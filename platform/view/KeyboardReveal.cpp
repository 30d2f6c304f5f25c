#include "platform/view/KeyboardReveal.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/view/ScrollView.h"
#include "platform/view/Window.h"

namespace plat::keyboardreveal {
namespace {

constexpr double kGap = 8;  // between the edited view and the keyboard's top

struct Lifted {
  std::weak_ptr<View> scroll;
  double addedInset = 0;
};

std::vector<Lifted>& lifted() {
  static auto* list = new std::vector<Lifted>();  // never destroyed, like the keyboard
  return *list;
}

Rect onScreen(const View& view, const Rect& rect) {
  const Window* window = view.window();
  Rect r = view.convertRectTo(rect, nullptr);
  if (window) {
    r.x += window->frame().x;
    r.y += window->frame().y;
  }
  return r;
}

ScrollView* enclosingScrollView(View& view) {
  for (View* v = view.superview(); v; v = v->superview()) {
    auto* scroll = dynamic_cast<ScrollView*>(v);
    if (scroll && scroll->isScrollEnabled()) return scroll;
  }
  return nullptr;
}

void addBottomInset(ScrollView& scroll, double extra) {
  for (Lifted& entry : lifted()) {
    if (entry.scroll.lock().get() != &scroll) continue;
    if (extra <= entry.addedInset) return;
    EdgeInsets insets = scroll.contentInset();
    insets.bottom += extra - entry.addedInset;
    scroll.setContentInset(insets);
    entry.addedInset = extra;
    return;
  }
  EdgeInsets insets = scroll.contentInset();
  insets.bottom += extra;
  scroll.setContentInset(insets);
  lifted().push_back({scroll.weak_from_this(), extra});
}

}  // namespace

void reveal(View& responder, const Rect& keyboard) {
  if (!responder.window() || responder.window()->isHidden()) return;
  ScrollView* scroll = enclosingScrollView(responder);
  if (!scroll) return;
  const Rect field = onScreen(responder, responder.bounds());
  const Rect area = onScreen(*scroll, scroll->bounds());
  const double covered = area.y + area.height - keyboard.y;
  const double visibleBottom = std::min(area.y + area.height, keyboard.y - kGap);
  double shift = 0;
  if (field.y + field.height > visibleBottom) shift = field.y + field.height - visibleBottom;
  // Never so far that the field's top leaves the scroll view's top edge.
  if (field.y - shift < area.y) shift = field.y - area.y;
  if (shift == 0) return;
  if (covered > 0) addBottomInset(*scroll, covered);
  Point offset = scroll->contentOffset();
  offset.y = std::clamp(offset.y + shift, scroll->minimumOffset().y,
                        std::max(scroll->minimumOffset().y, scroll->maximumOffset().y));
  scroll->setContentOffset(offset, false);
}

void restore() {
  for (Lifted& entry : lifted()) {
    auto view = entry.scroll.lock();
    auto* scroll = dynamic_cast<ScrollView*>(view.get());
    if (!scroll) continue;
    EdgeInsets insets = scroll->contentInset();
    insets.bottom -= entry.addedInset;
    scroll->setContentInset(insets);
    // The content no longer rests past its end.
    Point offset = scroll->contentOffset();
    offset.y = std::clamp(offset.y, scroll->minimumOffset().y,
                          std::max(scroll->minimumOffset().y, scroll->maximumOffset().y));
    scroll->setContentOffset(offset, false);
  }
  lifted().clear();
}

}  // namespace plat::keyboardreveal

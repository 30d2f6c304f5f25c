#include "platform/host/PointerInput.h"

#include <algorithm>

#include "platform/view/Application.h"
#include "platform/view/ScrollView.h"
#include "platform/view/Window.h"

namespace plat {

Window* PointerInput::touchedWindow() const {
  // A window can go away while the button is held (an alert closing by itself).
  std::vector<Window*> shown = Application::shared().windows();
  return std::find(shown.begin(), shown.end(), window_) != shown.end() ? window_ : nullptr;
}

void PointerInput::press(Point p) {
  if (window_) release(p);
  window_ = Application::shared().windowAt(p);
  if (window_) window_->sendTouch(TouchPhase::Began, window_->convertFromSuperview(p));
}

void PointerInput::drag(Point p) {
  if (Window* window = touchedWindow()) {
    window->sendTouch(TouchPhase::Moved, window->convertFromSuperview(p));
  }
}

void PointerInput::release(Point p) {
  if (Window* window = touchedWindow()) {
    window->sendTouch(TouchPhase::Ended, window->convertFromSuperview(p));
  }
  window_ = nullptr;
}

bool PointerInput::wheel(Point p, double dx, double dy) {
  Window* window = Application::shared().windowAt(p);
  if (!window) return false;
  window->layoutIfNeeded();
  for (View* view = window->hitTest(window->convertFromSuperview(p)); view;
       view = view->superview()) {
    auto* scroll = dynamic_cast<ScrollView*>(view);
    if (!scroll || !scroll->isScrollEnabled() || !scroll->canScroll({-dx, -dy})) continue;
    const Point low = scroll->minimumOffset();
    const Point high = scroll->maximumOffset();
    const Point from = scroll->contentOffset();
    const Point to{std::clamp(from.x + dx, low.x, std::max(low.x, high.x)),
                   std::clamp(from.y + dy, low.y, std::max(low.y, high.y))};
    if (to == from) continue;
    scroll->setContentOffset(to);
    return true;
  }
  return false;
}

}  // namespace plat

#include "platform/view/Window.h"

#include <cmath>

#include "platform/base/Clock.h"
#include "platform/view/Application.h"
#include "platform/view/Control.h"
#include "platform/view/GestureRecognizer.h"
#include "platform/view/Screen.h"
#include "platform/view/ScrollView.h"
#include "platform/view/ViewController.h"

namespace plat {
namespace {

// How far a finger moves before the scroll view around it takes the drag over.
constexpr double kScrollSlop = 10;

}  // namespace

struct Window::ActiveTouch {
  Touch touch;
  View* view = nullptr;
  std::shared_ptr<View> keepAlive;
  std::vector<std::shared_ptr<GestureRecognizer>> recognizers;
  std::vector<std::shared_ptr<ScrollView>> scrollViews;  // around the finger, nearest first
  std::shared_ptr<ScrollView> dragging;
  bool viewCancelled = false;
};

Window::Window(const Rect& frame) : View(frame) {
  setHidden(true);
  Application::shared().registerWindow(this);
}

Window::Window() : Window(Screen::main().bounds()) {}

Window::~Window() {
  Application::shared().unregisterWindow(this);
}

void Window::makeKeyAndVisible() {
  setHidden(false);
  makeKey();
}

void Window::makeKey() {
  Application::shared().setKeyWindow(this);
}

bool Window::isKeyWindow() const {
  return Application::shared().keyWindow() == this;
}

void Window::setHidden(bool hidden) {
  bool changed = hidden != isHidden();
  View::setHidden(hidden);
  if (changed && !hidden) Application::shared().windowShown(this);
  if (changed && root_) rootAppearance(!hidden);
}

void Window::rootAppearance(bool appearing) {
  root_->beginAppearance(appearing, false);
  root_->endAppearance();
}

void Window::setRootViewController(std::shared_ptr<ViewController> controller) {
  if (controller == root_) return;
  bool visible = !isHidden();
  if (root_) {
    if (visible) root_->beginAppearance(false, false);
    if (root_->isViewLoaded()) root_->view()->removeFromSuperview();
    if (visible) root_->endAppearance();
  }
  root_ = std::move(controller);
  if (!root_) return;
  root_->adoptOrientation(Application::shared().statusBarOrientation());
  std::shared_ptr<View> view = root_->view();
  view->setFrame(bounds());
  view->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  insertSubview(view, 0);
  if (visible) rootAppearance(true);
}

// ---- Touches

void Window::sendTouch(TouchPhase phase, Point location, int id) {
  if (phase == TouchPhase::Began) {
    beginTouch(location, id);
    return;
  }
  auto found = touches_.find(id);
  if (found == touches_.end()) return;
  ActiveTouch& active = *found->second;
  Touch& touch = active.touch;
  touch.previousLocation = touch.location;
  touch.location = location;
  touch.phase = phase;
  touch.timestamp = Clock::current().now();
  deliver(active, phase);
  if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled) touches_.erase(id);
}

void Window::beginTouch(Point location, int id) {
  layoutIfNeeded();
  for (const auto& [otherId, other] : touches_) {
    if (other->view && other->view->isExclusiveTouch()) return;  // one finger owns the screen
  }
  View* hit = hitTest(location);
  if (!hit || (hit->isExclusiveTouch() && !touches_.empty())) return;
  auto active = std::make_unique<ActiveTouch>();
  Touch& touch = active->touch;
  touch.id = id;
  touch.phase = TouchPhase::Began;
  touch.location = touch.previousLocation = touch.startLocation = location;
  touch.timestamp = Clock::current().now();
  touch.view = hit;
  touch.window = this;
  active->view = hit;
  active->keepAlive = hit->weak_from_this().lock();
  for (View* v = hit; v; v = v->superview()) {
    for (const auto& r : v->gestureRecognizers()) {
      if (r->isEnabled()) active->recognizers.push_back(r);
    }
    if (auto* scroll = dynamic_cast<ScrollView*>(v)) {
      if (auto shared = std::static_pointer_cast<ScrollView>(scroll->weak_from_this().lock())) {
        active->scrollViews.push_back(shared);
      }
    }
  }
  ActiveTouch& entry = *active;
  touches_[id] = std::move(active);
  deliver(entry, TouchPhase::Began);
}

void Window::cancelViewTouch(ActiveTouch& active) {
  if (active.viewCancelled) return;
  active.viewCancelled = true;
  Touch cancelled = active.touch;
  cancelled.phase = TouchPhase::Cancelled;
  active.view->touchesCancelled({&cancelled});
}

void Window::maybeHandOverToScrollView(ActiveTouch& active) {
  if (active.dragging) return;
  const Touch& touch = active.touch;
  Point delta{touch.location.x - touch.startLocation.x, touch.location.y - touch.startLocation.y};
  if (std::hypot(delta.x, delta.y) < kScrollSlop) return;
  for (View* v = active.view; v; v = v->superview()) {
    auto* control = dynamic_cast<Control*>(v);
    if (control && !control->cancelsTrackingForScroll()) return;  // a slider keeps its finger
    if (dynamic_cast<ScrollView*>(v)) break;
  }
  for (const auto& scroll : active.scrollViews) {
    if (!scroll->isScrollEnabled() || !scroll->isUserInteractionEnabled() || !scroll->window()) {
      continue;
    }
    Point from = scroll->convertPointFrom(touch.startLocation, nullptr);
    Point to = scroll->convertPointFrom(touch.location, nullptr);
    if (!scroll->canScroll({to.x - from.x, to.y - from.y})) continue;
    cancelViewTouch(active);
    active.dragging = scroll;
    scroll->beginDrag(touch.startLocation);
    return;
  }
}

void Window::deliver(ActiveTouch& active, TouchPhase phase) {
  const Touch& touch = active.touch;
  bool recognized = false;
  for (const auto& r : active.recognizers) {
    switch (phase) {
      case TouchPhase::Began:
        r->touchBegan(touch);
        break;
      case TouchPhase::Moved:
      case TouchPhase::Stationary:
        r->touchMoved(touch);
        break;
      case TouchPhase::Ended:
        r->touchEnded(touch);
        break;
      case TouchPhase::Cancelled:
        r->touchCancelled(touch);
        break;
    }
    if (r->hasRecognized() && r->cancelsTouchesInView()) recognized = true;
  }
  if (recognized && phase != TouchPhase::Began) cancelViewTouch(active);
  if (phase == TouchPhase::Moved && !recognized) maybeHandOverToScrollView(active);

  if (active.dragging) {
    if (phase == TouchPhase::Moved) active.dragging->dragTo(touch.location);
    if (phase == TouchPhase::Ended) active.dragging->endDrag(touch.location);
    if (phase == TouchPhase::Cancelled) active.dragging->cancelDrag();
    return;
  }
  if (active.viewCancelled || (recognized && phase == TouchPhase::Began)) {
    active.viewCancelled = true;
    return;
  }
  TouchSet set{&touch};
  switch (phase) {
    case TouchPhase::Began:
      active.view->touchesBegan(set);
      break;
    case TouchPhase::Moved:
    case TouchPhase::Stationary:
      active.view->touchesMoved(set);
      break;
    case TouchPhase::Ended:
      active.view->touchesEnded(set);
      break;
    case TouchPhase::Cancelled:
      active.view->touchesCancelled(set);
      break;
  }
}

// ---- Touch

Point Touch::locationIn(const View* v) const {
  return v ? v->convertPointFrom(location, nullptr) : location;
}

Point Touch::previousLocationIn(const View* v) const {
  return v ? v->convertPointFrom(previousLocation, nullptr) : previousLocation;
}

}  // namespace plat

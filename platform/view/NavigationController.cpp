#include "platform/view/NavigationController.h"

#include <algorithm>

#include "platform/view/Animation.h"
#include "platform/view/Screen.h"
#include "platform/view/TabBarController.h"

namespace plat {

NavigationController::NavigationController(std::shared_ptr<ViewController> root)
    : bar_(std::make_shared<NavigationBar>()) {
  bar_->setBackAction([this] { popViewController(true); });
  if (root) {
    addChildViewController(root);
    stack_.push_back(root);
    // The stack's tab shows its root screen until given its own.
    tabBarItem().setTitle(root->tabBarItem().title());
    tabBarItem().setImage(root->tabBarItem().image());
    tabBarItem().setSelectedImage(root->tabBarItem().selectedImage());
  }
  updateBar();
}

void NavigationController::loadView() {
  Rect screen = Screen::main().bounds();
  auto container = std::make_shared<ContainerView>(screen, [this] { layoutContent(); });
  setView(container);
  container->addSubview(bar_);
  if (ViewController* top = topViewController()) {
    container->insertSubviewBelow(top->view(), bar_.get());
  }
  layoutContent();
}

Rect NavigationController::contentFrame(const ViewController& c) const {
  Rect b = isViewLoaded() ? const_cast<NavigationController*>(this)->view()->bounds()
                          : Screen::main().bounds();
  unsigned edges = c.edgesForExtendedLayout();
  bool opaqueOk = c.extendedLayoutIncludesOpaqueBars();
  bool underTop = (edges & kRectEdgeTop) && (barHidden_ || bar_->isTranslucent() || opaqueOk);
  double top = underTop ? 0 : Screen::kStatusBarHeight + (barHidden_ ? 0 : NavigationBar::kHeight);
  double bottom = 0;
  TabBarController* tab = tabBarController();
  if (tab && !tab->isTabBarHidden()) {
    bool underBottom = (edges & kRectEdgeBottom) && (tab->tabBar().isTranslucent() || opaqueOk);
    if (!underBottom) bottom = TabBar::kHeight;
  }
  return {0, top, b.width, std::max(0.0, b.height - top - bottom)};
}

void NavigationController::layoutContent() {
  if (!isViewLoaded()) return;
  Rect b = view()->bounds();
  bar_->setFrame({0, Screen::kStatusBarHeight, b.width, NavigationBar::kHeight});
  bar_->setBackgroundExtension(Screen::kStatusBarHeight);
  bar_->setHidden(barHidden_);
  ViewController* top = topViewController();
  if (top && top->isViewLoaded() && top->view()->superview() == view().get() &&
      !Animation::isAnimating(*top->view())) {
    top->view()->setFrame(contentFrame(*top));
  }
}

ViewController* NavigationController::visibleViewController() const {
  return topViewController();
}

bool NavigationController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) {
  ViewController* shown = topViewController();
  return shown ? shown->shouldAutorotateToInterfaceOrientation(o)
               : ViewController::shouldAutorotateToInterfaceOrientation(o);
}

std::vector<ViewController*> NavigationController::visibleChildren() const {
  if (stack_.empty()) return {};
  return {stack_.back().get()};
}

void NavigationController::updateBar() {
  std::vector<std::shared_ptr<NavigationItem>> items;
  for (const auto& c : stack_) items.push_back(c->sharedNavigationItem());
  bar_->setItems(items);
}

bool NavigationController::hidesBottomBar() const {
  return std::any_of(stack_.begin() + std::min<long>(1, long(stack_.size())), stack_.end(),
                     [](const auto& c) { return c->hidesBottomBarWhenPushed(); });
}

void NavigationController::updateTabBar() {
  TabBarController* tab = tabBarController();
  if (!tab) return;
  // A stack in a tab that is not shown leaves the bar to the tab that is.
  const ViewController* tabChild = this;
  while (tabChild->parentViewController() != tab) tabChild = tabChild->parentViewController();
  if (tab->selectedViewController() != tabChild) return;
  tab->setTabBarHidden(hidesBottomBar());
}

void NavigationController::pushViewController(const std::shared_ptr<ViewController>& controller,
                                              bool animated) {
  if (!controller || controller.get() == this ||
      std::find(stack_.begin(), stack_.end(), controller) != stack_.end()) {
    return;
  }
  std::shared_ptr<ViewController> from = stack_.empty() ? nullptr : stack_.back();
  addChildViewController(controller);
  stack_.push_back(controller);
  updateBar();
  updateTabBar();
  transition(from, controller, true, animated && from, {});
}

std::shared_ptr<ViewController> NavigationController::popViewController(bool animated) {
  if (stack_.size() < 2) return nullptr;
  std::shared_ptr<ViewController> from = stack_.back();
  stack_.pop_back();
  updateBar();
  updateTabBar();
  transition(from, stack_.back(), false, animated, {from});
  return from;
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToViewController(
    const ViewController* target, bool animated) {
  auto it =
      std::find_if(stack_.begin(), stack_.end(), [&](const auto& c) { return c.get() == target; });
  if (it == stack_.end() || it + 1 == stack_.end()) return {};
  std::vector<std::shared_ptr<ViewController>> removed(it + 1, stack_.end());
  std::shared_ptr<ViewController> from = stack_.back();
  stack_.erase(it + 1, stack_.end());
  updateBar();
  updateTabBar();
  transition(from, stack_.back(), false, animated, removed);
  return removed;
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToRootViewController(
    bool animated) {
  if (stack_.empty()) return {};
  return popToViewController(stack_.front().get(), animated);
}

void NavigationController::setViewControllers(
    std::vector<std::shared_ptr<ViewController>> controllers, bool animated) {
  std::erase(controllers, nullptr);
  std::shared_ptr<ViewController> from = stack_.empty() ? nullptr : stack_.back();
  std::vector<std::shared_ptr<ViewController>> removed;
  for (const auto& c : stack_) {
    if (std::find(controllers.begin(), controllers.end(), c) == controllers.end()) {
      removed.push_back(c);
    }
  }
  for (const auto& c : controllers) addChildViewController(c);
  stack_ = std::move(controllers);
  updateBar();
  updateTabBar();
  std::shared_ptr<ViewController> to = stack_.empty() ? nullptr : stack_.back();
  if (from == to) {
    for (const auto& c : removed) {
      if (c->isViewLoaded()) c->view()->removeFromSuperview();
      c->removeFromParentViewController();
    }
    return;
  }
  transition(from, to, true, animated && from && to, removed);
}

void NavigationController::setNavigationBarHidden(bool hidden, bool animated) {
  if (hidden == barHidden_) return;
  barHidden_ = hidden;
  if (!isViewLoaded()) return;
  bar_->setHidden(hidden);
  ViewController* top = topViewController();
  if (!top || !top->isViewLoaded() || top->view()->superview() != view().get()) return;
  Rect frame = contentFrame(*top);
  if (animated) {
    Animation::animate(0.2, [&] { top->view()->setFrame(frame); });
  } else {
    top->view()->setFrame(frame);
  }
}

void NavigationController::transition(const std::shared_ptr<ViewController>& from,
                                      const std::shared_ptr<ViewController>& to, bool forward,
                                      bool animated,
                                      std::vector<std::shared_ptr<ViewController>> removed) {
  if (!isViewLoaded()) {
    for (const auto& c : removed) c->removeFromParentViewController();
    return;
  }
  std::shared_ptr<View> container = view();
  bool onScreen = isOnScreen();
  std::shared_ptr<View> toView = to ? to->view() : nullptr;
  std::shared_ptr<View> fromView =
      from && from != to && from->isViewLoaded() ? from->view() : nullptr;
  Rect frame = to ? contentFrame(*to) : Rect();
  if (toView) {
    toView->setFrame(frame);
    if (toView->superview() != container.get()) {
      if (!forward && fromView && fromView->superview() == container.get()) {
        container->insertSubviewBelow(toView, fromView.get());  // the leaving view slides off it
      } else {
        container->insertSubviewBelow(toView, bar_.get());
      }
    }
  }
  if (onScreen) {
    if (from && from != to) from->beginAppearance(false, animated);
    if (to) {
      to->beginAppearance(true, animated);
      if (delegate_) delegate_->willShowViewController(*this, *to, animated);
    }
  }
  // Either screen may have shown or hidden the bar as it came or went: the new one goes where
  // the bar now leaves room.
  if (toView) {
    frame = contentFrame(*to);
    toView->setFrame(frame);
  }
  std::weak_ptr<ViewController> weak = weak_from_this();
  auto finish = [weak, from, to, fromView, removed, onScreen, animated] {
    auto self = std::static_pointer_cast<NavigationController>(weak.lock());
    // A screen gone back to before this slide ended is on top again: its view stays.
    const bool onTopAgain = self && from && self->topViewController() == from.get();
    if (fromView && !onTopAgain) fromView->removeFromSuperview();
    for (const auto& c : removed) c->removeFromParentViewController();
    if (!onScreen) return;
    if (from && from != to) from->endAppearance();
    if (to) {
      to->endAppearance();
      if (self && self->delegate_) self->delegate_->didShowViewController(*self, *to, animated);
    }
  };
  if (!animated || !onScreen || !fromView || !toView) {
    finish();
    return;
  }
  double w = frame.width;
  toView->setFrame(frame.offsetBy(forward ? w : -w / 3, 0));
  Rect leaving = fromView->frame().offsetBy(forward ? -w / 3 : w, 0);
  Animation::animate(
      kTransitionSeconds,
      [&] {
        toView->setFrame(frame);
        fromView->setFrame(leaving);
      },
      [finish, weak](bool) {
        finish();
        // The screen may have turned during the slide, and a sliding view keeps its frame until
        // the slide ends: the top view is laid out for the screen as it is now.
        if (auto self = std::static_pointer_cast<NavigationController>(weak.lock()))
          self->layoutContent();
      });
}

}  // namespace plat

#include "platform/view/ViewController.h"

#include <algorithm>
#include <cmath>

#include "platform/view/Animation.h"
#include "platform/view/NavigationController.h"
#include "platform/view/TabBarController.h"
#include "platform/view/Window.h"

namespace plat {
namespace {

constexpr double kPresentSeconds = 0.4;
constexpr double kDissolveSeconds = 0.3;
constexpr double kDimmingAlpha = 0.4;

// A form sheet's frame: its size, centred on the screen, and never larger than the screen.
Rect formSheetFrame(const Rect& screen) {
  const double w = std::min(ViewController::kFormSheetSize.width, screen.width);
  const double h = std::min(ViewController::kFormSheetSize.height, screen.height);
  return {std::round((screen.width - w) / 2), std::round((screen.height - h) / 2), w, h};
}

// The live controllers, in the order they were made, so that a memory warning reaches screens
// that no window holds (a word card its list keeps between pushes). Main thread only.
std::vector<ViewController*>& liveControllers() {
  static std::vector<ViewController*> live;
  return live;
}

}  // namespace

ViewController::ViewController()
    : navigationItem_(std::make_shared<NavigationItem>()),
      tabBarItem_(std::make_shared<TabBarItem>()) {
  liveControllers().push_back(this);
}

ViewController::~ViewController() {
  std::erase(liveControllers(), this);
  if (view_ && view_->viewController_ == this) view_->viewController_ = nullptr;
  for (const auto& child : children_) child->parent_ = nullptr;
  if (presented_) presented_->presenting_ = nullptr;
}

std::shared_ptr<View> ViewController::view() {
  if (!view_ && !loading_) {
    loading_ = true;
    loadView();
    if (!view_) ViewController::loadView();
    loading_ = false;
    restoreUnloadedPlace();
    viewDidLoad();
  }
  return view_;
}

void ViewController::setView(std::shared_ptr<View> view) {
  if (view_ && view_->viewController_ == this) view_->viewController_ = nullptr;
  view_ = std::move(view);
  if (view_) view_->viewController_ = this;
}

void ViewController::loadView() {
  Rect frame = Screen::main().applicationFrame();
  setView(std::make_shared<View>(Rect(0, 0, frame.width, frame.height)));
}

// ---- Memory pressure

void ViewController::didReceiveMemoryWarning() {
  unloadViewIfOffScreen();
}

void ViewController::unloadViewIfOffScreen() {
  if (!canUnloadView() || !view_ || loading_ || view_->window() || isOnScreen()) return;
  viewWillUnload();
  // Containers put a child's view in place once; the next view goes where this one stood.
  if (View* holder = view_->superview()) {
    const auto& siblings = holder->subviews();
    const auto found = std::find(siblings.begin(), siblings.end(), view_);
    unloadedPlace_ = UnloadedPlace{holder->weak_from_this(), size_t(found - siblings.begin()),
                                   view_->frame(), view_->autoresizingMask()};
    view_->removeFromSuperview();
  }
  setView(nullptr);
  viewDidUnload();
}

void ViewController::restoreUnloadedPlace() {
  if (!unloadedPlace_) return;
  const UnloadedPlace place = *unloadedPlace_;
  unloadedPlace_.reset();
  std::shared_ptr<View> holder = place.superview.lock();
  if (!holder || view_->superview()) return;
  view_->setFrame(place.frame);
  view_->setAutoresizingMask(place.autoresizingMask);
  holder->insertSubview(view_, std::min(place.index, holder->subviews().size()));
}

void ViewController::receiveMemoryWarningInAll() {
  // A warned screen may release others (the review screen its card): each is held while warned,
  // and one already gone is skipped.
  std::vector<std::weak_ptr<ViewController>> snapshot;
  for (ViewController* controller : liveControllers()) {
    snapshot.push_back(controller->weak_from_this());
  }
  for (const auto& weak : snapshot) {
    if (auto controller = weak.lock()) controller->didReceiveMemoryWarning();
  }
}

void ViewController::setTitle(const std::string& title) {
  title_ = title;
  navigationItem_->setTitle(title);
  tabBarItem_->setTitle(title);
  // The root screen of a navigation stack names the stack's tab.
  auto* nav = dynamic_cast<NavigationController*>(parent_);
  if (nav && !nav->viewControllers().empty() && nav->viewControllers().front().get() == this) {
    nav->tabBarItem().setTitle(title);
  }
}

std::vector<ViewController*> ViewController::childViewControllers() const {
  std::vector<ViewController*> out;
  for (const auto& child : children_) out.push_back(child.get());
  return out;
}

void ViewController::addChildViewController(const std::shared_ptr<ViewController>& child) {
  if (!child || child.get() == this || child->parent_ == this) return;
  child->removeFromParentViewController();
  children_.push_back(child);
  child->parent_ = this;
}

void ViewController::removeFromParentViewController() {
  ViewController* parent = parent_;
  if (!parent) return;
  auto self = shared_from_this();
  parent_ = nullptr;
  std::erase_if(parent->children_, [this](const auto& c) { return c.get() == this; });
}

NavigationController* ViewController::navigationController() const {
  for (ViewController* p = parent_; p; p = p->parent_) {
    if (auto* nav = dynamic_cast<NavigationController*>(p)) return nav;
  }
  return nullptr;
}

TabBarController* ViewController::tabBarController() const {
  for (ViewController* p = parent_; p; p = p->parent_) {
    if (auto* tab = dynamic_cast<TabBarController*>(p)) return tab;
  }
  return nullptr;
}

ViewController* ViewController::hierarchyRoot() {
  ViewController* root = this;
  while (root->parent_) root = root->parent_;
  return root;
}

// ---- Presentation

void ViewController::presentViewController(const std::shared_ptr<ViewController>& controller,
                                           bool animated, std::function<void()> completion) {
  ViewController* host = hierarchyRoot();
  if (!controller || host->presented_ || controller.get() == host || controller->presenting_) {
    return;
  }
  Window* window = host->isViewLoaded() ? host->view()->window() : nullptr;
  if (!window) return;  // nothing on screen to present over
  host->presented_ = controller;
  controller->presenting_ = host;
  std::shared_ptr<View> view = controller->view();
  const Rect screen = window->bounds();
  // A form sheet leaves the screen behind it in view, dimmed and taking no touches.
  const bool sheet = controller->presentationStyle_ == ModalPresentationStyle::FormSheet &&
                     Screen::main().isPad();
  const Rect bounds = sheet ? formSheetFrame(screen) : screen;
  view->setFrame(bounds);
  if (sheet) {
    view->setAutoresizingMask(kFlexibleLeftMargin | kFlexibleRightMargin | kFlexibleTopMargin |
                              kFlexibleBottomMargin);
    controller->dimmingView_ = std::make_shared<View>(screen);
    controller->dimmingView_->setBackgroundColor(Color::black().withAlpha(kDimmingAlpha));
    controller->dimmingView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
    window->addSubview(controller->dimmingView_);
  } else {
    view->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  }
  window->addSubview(view);
  controller->beginAppearance(true, animated);
  if (!sheet) host->beginAppearance(false, animated);

  std::weak_ptr<ViewController> weakHost = host->weak_from_this();
  std::weak_ptr<ViewController> weakShown = controller;
  auto finish = [weakHost, weakShown, completion] {
    auto host = weakHost.lock();
    auto shown = weakShown.lock();
    if (!host || !shown || host->presented_ != shown) return;
    if (!shown->dimmingView_) {
      host->view()->setHidden(true);  // covered: it takes no touches and is not drawn
      host->endAppearance();
    }
    shown->endAppearance();
    if (completion) completion();
  };
  if (!animated) {
    finish();
  } else if (controller->transitionStyle_ == ModalTransitionStyle::CrossDissolve) {
    view->setAlpha(0);
    Animation::animate(
        kDissolveSeconds, [&] { view->setAlpha(1); }, [finish](bool) { finish(); });
  } else {
    view->setFrame(bounds.offsetBy(0, bounds.height));
    Animation::animate(
        kPresentSeconds, [&] { view->setFrame(bounds); }, [finish](bool) { finish(); });
  }
}

void ViewController::dismissViewController(bool animated, std::function<void()> completion) {
  ViewController* root = hierarchyRoot();
  ViewController* host = root->presented_ ? root : root->presenting_;
  if (!host || !host->presented_) return;
  std::shared_ptr<ViewController> shown = host->presented_;
  std::shared_ptr<View> view = shown->view();
  const bool sheet = shown->dimmingView_ != nullptr;
  host->view()->setHidden(false);
  if (!sheet) host->beginAppearance(true, animated);
  shown->beginAppearance(false, animated);

  std::weak_ptr<ViewController> weakHost = host->weak_from_this();
  auto finish = [weakHost, shown, view, sheet, completion] {
    view->removeFromSuperview();
    if (shown->dimmingView_) shown->dimmingView_->removeFromSuperview();
    shown->dimmingView_.reset();
    shown->presenting_ = nullptr;
    auto host = weakHost.lock();
    if (host && host->presented_ == shown) host->presented_.reset();
    shown->endAppearance();
    if (host && !sheet) host->endAppearance();
    if (completion) completion();
  };
  if (!animated) {
    finish();
  } else if (shown->transitionStyle_ == ModalTransitionStyle::CrossDissolve) {
    Animation::animate(
        kDissolveSeconds, [&] { view->setAlpha(0); }, [finish](bool) { finish(); });
  } else {
    Rect frame = view->frame();
    Animation::animate(
        kPresentSeconds, [&] { view->setFrame(frame.offsetBy(0, frame.height)); },
        [finish](bool) { finish(); });
  }
}

// ---- Appearance

void ViewController::beginAppearance(bool appearing, bool animated) {
  if (appearing) {
    if (appearance_ == Appearance::Appeared || appearance_ == Appearance::Appearing) return;
    appearance_ = Appearance::Appearing;
    view();
    animatedAppearance_ = animated;
    viewWillAppear(animated);
  } else {
    if (appearance_ == Appearance::Disappeared || appearance_ == Appearance::Disappearing) return;
    appearance_ = Appearance::Disappearing;
    animatedAppearance_ = animated;
    viewWillDisappear(animated);
  }
  for (ViewController* child : visibleChildren()) child->beginAppearance(appearing, animated);
}

void ViewController::endAppearance() {
  if (appearance_ == Appearance::Appearing) {
    appearance_ = Appearance::Appeared;
    viewDidAppear(animatedAppearance_);
  } else if (appearance_ == Appearance::Disappearing) {
    appearance_ = Appearance::Disappeared;
    viewDidDisappear(animatedAppearance_);
  }
  for (const auto& child : std::vector<std::shared_ptr<ViewController>>(children_)) {
    child->endAppearance();
  }
}

// ---- Rotation

bool ViewController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) {
  return o == InterfaceOrientation::Portrait;
}

bool ViewController::rotateTo(InterfaceOrientation orientation, double duration,
                              const std::function<void()>& resize) {
  if (orientation == orientation_ || !shouldAutorotateToInterfaceOrientation(orientation)) {
    return false;
  }
  InterfaceOrientation old = orientation_;
  willTurn(orientation, duration);
  if (resize) resize();
  animateTurn(orientation, duration);
  finishTurn(old);
  return true;
}

void ViewController::adoptOrientation(InterfaceOrientation orientation) {
  orientation_ = orientation;
  for (ViewController* child : childViewControllers()) child->adoptOrientation(orientation);
}

void ViewController::willTurn(InterfaceOrientation orientation, double duration) {
  willRotateToInterfaceOrientation(orientation, duration);
  for (ViewController* child : visibleChildren()) child->willTurn(orientation, duration);
}

void ViewController::animateTurn(InterfaceOrientation orientation, double duration) {
  orientation_ = orientation;
  willAnimateRotationToInterfaceOrientation(orientation, duration);
  for (ViewController* child : visibleChildren()) child->animateTurn(orientation, duration);
}

void ViewController::finishTurn(InterfaceOrientation old) {
  didRotateFromInterfaceOrientation(old);
  for (ViewController* child : visibleChildren()) child->finishTurn(old);
}

}  // namespace plat

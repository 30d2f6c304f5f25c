// A stack of view controllers under a navigation bar: push and pop (animated or not), the bar
// shown or hidden, the tab bar hidden while a controller that asks for it is on top, and the
// delegate told before and after a controller is shown.
#pragma once

#include <memory>
#include <vector>

#include "platform/view/ContainerView.h"
#include "platform/view/NavigationBar.h"
#include "platform/view/ViewController.h"

namespace plat {

class NavigationController;

class NavigationControllerDelegate {
 public:
  virtual ~NavigationControllerDelegate() = default;
  virtual void willShowViewController(NavigationController&, ViewController&, bool /*animated*/) {}
  virtual void didShowViewController(NavigationController&, ViewController&, bool /*animated*/) {}
};

class NavigationController : public ViewController {
 public:
  static constexpr double kTransitionSeconds = 0.35;

  explicit NavigationController(std::shared_ptr<ViewController> root = nullptr);

  void pushViewController(const std::shared_ptr<ViewController>& controller, bool animated);
  std::shared_ptr<ViewController> popViewController(bool animated);
  std::vector<std::shared_ptr<ViewController>> popToRootViewController(bool animated);
  std::vector<std::shared_ptr<ViewController>> popToViewController(const ViewController* target,
                                                                   bool animated);
  void setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers,
                          bool animated = false);
  const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return stack_; }
  ViewController* topViewController() const {
    return stack_.empty() ? nullptr : stack_.back().get();
  }
  // The top controller, or what it presented.
  ViewController* visibleViewController() const;

  NavigationBar& navigationBar() { return *bar_; }
  bool isNavigationBarHidden() const { return barHidden_; }
  void setNavigationBarHidden(bool hidden, bool animated = false);

  // Whether a controller pushed above the root asks for the tab bar to be hidden.
  bool hidesBottomBar() const;

  NavigationControllerDelegate* delegate() const { return delegate_; }
  void setDelegate(NavigationControllerDelegate* delegate) { delegate_ = delegate; }

  // Where a child's view goes: below the status bar and the navigation bar unless it extends
  // under them, above a visible tab bar.
  Rect contentFrame(const ViewController& controller) const;
  void loadView() override;
  // Turns as its top screen does.
  bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) override;

 protected:
  std::vector<ViewController*> visibleChildren() const override;

 private:
  // Shows `to` in place of `from` (either may be null); `forward` slides in from the right.
  void transition(const std::shared_ptr<ViewController>& from,
                  const std::shared_ptr<ViewController>& to, bool forward, bool animated,
                  std::vector<std::shared_ptr<ViewController>> removed);
  void layoutContent();
  void updateBar();
  void updateTabBar();

  std::vector<std::shared_ptr<ViewController>> stack_;
  std::shared_ptr<NavigationBar> bar_;
  bool barHidden_ = false;
  NavigationControllerDelegate* delegate_ = nullptr;
};

}  // namespace plat

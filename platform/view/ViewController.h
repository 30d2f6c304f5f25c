// A screen: it loads its view on first use and hears when that view will and did appear and
// disappear, of memory warnings and rotations. Under memory pressure a screen built to rebuild its
// view (canUnloadView) drops the view while it is in no window; the view is loaded again when next
// asked for and takes the old one's place, frame and resizing in the view that held it. It carries the items its navigation and tab bars
// show, presents other controllers modally, and holds child controllers; containers (navigation
// and tab bar controllers) pass appearance on to the child they show.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/view/BarItems.h"
#include "platform/view/Screen.h"
#include "platform/view/View.h"

namespace plat {

class NavigationController;
class TabBarController;

enum class ModalTransitionStyle { CoverVertical, FlipHorizontal, CrossDissolve, PartialCurl };
// A form sheet is a panel centred over the dimmed screen on a tablet, and full screen on a phone.
enum class ModalPresentationStyle { FullScreen, FormSheet };

enum RectEdge : unsigned {
  kRectEdgeNone = 0,
  kRectEdgeTop = 1,
  kRectEdgeLeft = 2,
  kRectEdgeBottom = 4,
  kRectEdgeRight = 8,
  kRectEdgeAll = 15,
};

class ViewController : public std::enable_shared_from_this<ViewController> {
 public:
  ViewController();
  virtual ~ViewController();
  ViewController(const ViewController&) = delete;
  ViewController& operator=(const ViewController&) = delete;

  // ---- The view
  std::shared_ptr<View> view();  // loads it (loadView, then viewDidLoad) on first use
  bool isViewLoaded() const { return view_ != nullptr; }
  void setView(std::shared_ptr<View> view);
  virtual void loadView();  // a plain view of the application frame's size
  virtual void viewDidLoad() {}
  virtual void viewWillAppear(bool /*animated*/) {}
  virtual void viewDidAppear(bool /*animated*/) {}
  virtual void viewWillDisappear(bool /*animated*/) {}
  virtual void viewDidDisappear(bool /*animated*/) {}
  // Unloads the view when it may (see canUnloadView); overrides call it first.
  virtual void didReceiveMemoryWarning();
  // Whether this screen rebuilds everything it needs when its view loads again. Off by default:
  // most screens keep state with their views that a second load would duplicate or lose.
  virtual bool canUnloadView() const { return false; }
  // Around dropping the view under memory pressure: a screen lets go of its outlets here.
  virtual void viewWillUnload() {}
  virtual void viewDidUnload() {}
  // Every live view controller hears of a memory warning, on screen or not (main thread).
  static void receiveMemoryWarningInAll();
  bool isVisible() const { return appearance_ == Appearance::Appeared; }
  // Appeared, or on its way there.
  bool isOnScreen() const {
    return appearance_ == Appearance::Appeared || appearance_ == Appearance::Appearing;
  }

  // ---- Title and bar items
  const std::string& title() const { return title_; }
  virtual void setTitle(const std::string& title);
  NavigationItem& navigationItem() { return *navigationItem_; }
  const std::shared_ptr<NavigationItem>& sharedNavigationItem() const { return navigationItem_; }
  TabBarItem& tabBarItem() { return *tabBarItem_; }
  const std::shared_ptr<TabBarItem>& sharedTabBarItem() const { return tabBarItem_; }

  // ---- Containment
  ViewController* parentViewController() const { return parent_; }
  std::vector<ViewController*> childViewControllers() const;
  void addChildViewController(const std::shared_ptr<ViewController>& child);
  void removeFromParentViewController();
  NavigationController* navigationController() const;
  TabBarController* tabBarController() const;

  // ---- Modal presentation (full screen, over the window)
  void presentViewController(const std::shared_ptr<ViewController>& controller, bool animated,
                             std::function<void()> completion = {});
  // Dismisses what this controller presented, or this controller when it was presented.
  void dismissViewController(bool animated, std::function<void()> completion = {});
  ViewController* presentedViewController() const { return presented_.get(); }
  ViewController* presentingViewController() const { return presenting_; }
  ModalTransitionStyle modalTransitionStyle() const { return transitionStyle_; }
  void setModalTransitionStyle(ModalTransitionStyle style) { transitionStyle_ = style; }
  ModalPresentationStyle modalPresentationStyle() const { return presentationStyle_; }
  void setModalPresentationStyle(ModalPresentationStyle style) { presentationStyle_ = style; }
  // The size of a form sheet on a tablet, in points.
  static constexpr Size kFormSheetSize{540, 620};

  bool hidesBottomBarWhenPushed() const { return hidesBottomBar_; }
  void setHidesBottomBarWhenPushed(bool hides) { hidesBottomBar_ = hides; }
  unsigned edgesForExtendedLayout() const { return edges_; }
  void setEdgesForExtendedLayout(unsigned edges) { edges_ = edges; }
  bool extendedLayoutIncludesOpaqueBars() const { return includesOpaqueBars_; }
  void setExtendedLayoutIncludesOpaqueBars(bool on) { includesOpaqueBars_ = on; }

  // ---- Rotation
  virtual bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation o);
  virtual void willRotateToInterfaceOrientation(InterfaceOrientation, double /*duration*/) {}
  virtual void willAnimateRotationToInterfaceOrientation(InterfaceOrientation, double) {}
  virtual void didRotateFromInterfaceOrientation(InterfaceOrientation) {}
  InterfaceOrientation interfaceOrientation() const { return orientation_; }
  // Turns this controller and the children it shows, when it accepts the orientation: they hear
  // that they will turn, `resize` gives the views their new size, then they turn.
  bool rotateTo(InterfaceOrientation orientation, double duration = 0.3,
                const std::function<void()>& resize = {});
  // A controller that comes on a screen already turned starts out in its orientation, it and its
  // children, without hearing of a turn.
  void adoptOrientation(InterfaceOrientation orientation);

  // ---- Appearance, driven by windows, containers and presentations
  void beginAppearance(bool appearing, bool animated);
  void endAppearance();

 protected:
  // The children whose views show while this controller's does (all children by default).
  virtual std::vector<ViewController*> visibleChildren() const { return childViewControllers(); }
  // The root of this controller's hierarchy, from which it presents.
  ViewController* hierarchyRoot();

 private:
  enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };
  void willTurn(InterfaceOrientation orientation, double duration);
  void animateTurn(InterfaceOrientation orientation, double duration);
  void finishTurn(InterfaceOrientation old);
  void unloadViewIfOffScreen();
  void restoreUnloadedPlace();

  // Where an unloaded view stood, for the view loaded after it.
  struct UnloadedPlace {
    std::weak_ptr<View> superview;
    size_t index = 0;
    Rect frame;
    unsigned autoresizingMask = 0;
  };

  std::shared_ptr<View> view_;
  std::string title_;
  std::shared_ptr<NavigationItem> navigationItem_;
  std::shared_ptr<TabBarItem> tabBarItem_;
  ViewController* parent_ = nullptr;
  std::vector<std::shared_ptr<ViewController>> children_;
  std::shared_ptr<ViewController> presented_;
  ViewController* presenting_ = nullptr;
  ModalTransitionStyle transitionStyle_ = ModalTransitionStyle::CoverVertical;
  ModalPresentationStyle presentationStyle_ = ModalPresentationStyle::FullScreen;
  std::shared_ptr<View> dimmingView_;  // behind a form sheet while it is presented
  bool hidesBottomBar_ = false;
  unsigned edges_ = kRectEdgeAll;
  bool includesOpaqueBars_ = false;
  InterfaceOrientation orientation_ = InterfaceOrientation::Portrait;
  Appearance appearance_ = Appearance::Disappeared;
  bool animatedAppearance_ = false;
  bool loading_ = false;
  std::optional<UnloadedPlace> unloadedPlace_;
};

}  // namespace plat

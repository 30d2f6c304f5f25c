// A window: the root of a view tree on the screen, with a level (normal, keyboard, status bar,
// alert), a root view controller, and the key window's role of receiving typed text. Touches
// enter here: the window finds the touched view, feeds gesture recognizers, and hands a drag
// over to the scroll view around the finger once it moves.
#pragma once

#include <map>
#include <memory>

#include "platform/view/View.h"

namespace plat {

class ViewController;
class ScrollView;

inline constexpr double kWindowLevelNormal = 0;
inline constexpr double kWindowLevelKeyboard = 10;
inline constexpr double kWindowLevelStatusBar = 1000;
inline constexpr double kWindowLevelAlert = 2000;

class Window : public View {
 public:
  explicit Window(const Rect& frame);
  Window();  // the screen's bounds
  ~Window() override;

  double windowLevel() const { return level_; }
  void setWindowLevel(double level) { level_ = level; }

  void makeKeyAndVisible();
  void makeKey();
  bool isKeyWindow() const;
  void setHidden(bool hidden) override;

  ViewController* rootViewController() const { return root_.get(); }
  void setRootViewController(std::shared_ptr<ViewController> controller);

  Window* window() const override { return const_cast<Window*>(this); }

  // A touch event at `location` (window coordinates); `id` tells fingers apart.
  void sendTouch(TouchPhase phase, Point location, int id = 0);
  bool hasActiveTouches() const { return !touches_.empty(); }

  // Every view's layout brought up to date.
  void layoutTree() { layoutIfNeeded(); }

 private:
  struct ActiveTouch;
  void beginTouch(Point location, int id);
  void deliver(ActiveTouch& active, TouchPhase phase);
  void maybeHandOverToScrollView(ActiveTouch& active);
  void cancelViewTouch(ActiveTouch& active);
  void rootAppearance(bool appearing);

  double level_ = kWindowLevelNormal;
  std::shared_ptr<ViewController> root_;
  std::map<int, std::unique_ptr<ActiveTouch>> touches_;
};

}  // namespace plat

// Runs the application without a display: the application delegate's lifecycle on the main run
// loop, time on a virtual clock, and the screen drawn into PNG pictures on demand. Tests drive it
// as a finger and a keyboard would: find a view by tag, title or text, tap it, type into the
// first responder, scroll and swipe, press an alert button, let time pass.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/base/Clock.h"
#include "platform/base/Value.h"
#include "platform/draw/Image.h"
#include "platform/view/Application.h"
#include "platform/view/Button.h"
#include "platform/view/View.h"

namespace plat {

class AlertView;
class ActionSheet;

class HeadlessHost {
 public:
  struct Options {
    bool virtualClock = true;  // false: the real clock (run loops then wait for real)
    double startTime = 1'700'000'000.0;
  };

  explicit HeadlessHost(std::shared_ptr<ApplicationDelegate> delegate);
  HeadlessHost(std::shared_ptr<ApplicationDelegate> delegate, Options options);
  // Ends the application's state and gives the process its real clock back.
  ~HeadlessHost();
  HeadlessHost(const HeadlessHost&) = delete;
  HeadlessHost& operator=(const HeadlessHost&) = delete;

  // ---- Lifecycle: each change runs the main run loop until nothing more is due.
  bool launch(const Value& options = {});
  void resignActive();
  void becomeActive();
  void enterBackground();
  void enterForeground();
  void terminate();
  void memoryWarning();

  // ---- Time
  // Both end with a display pass (layout, and drawRect of the views that asked for it).
  void advance(double seconds);
  void runUntilIdle();
  VirtualClock* clock() const { return clock_.get(); }

  // ---- Finding views on the screen (visible ones, the topmost window first)
  View* findByTag(int tag) const;
  // A view showing exactly this text: a label, a button's title, a field's text, a page.
  View* findByText(const std::string& text) const;
  View* findContainingText(const std::string& part) const;
  Button* findButton(const std::string& title) const;
  View* find(const std::function<bool(View&)>& match) const;
  AlertView* visibleAlert() const;
  ActionSheet* visibleActionSheet() const;

  // ---- Driving
  // A tap at the view's centre; false (and nothing sent) when something else would be hit there.
  bool tap(View* view);
  bool tapText(const std::string& text) { return tap(findByText(text)); }
  void tapAt(Point screenPoint);
  // A finger from `from` to `to` (screen points) in `steps` moves over `seconds`.
  void swipe(Point from, Point to, int steps = 8, double seconds = 0.2);
  // Drags `view`'s content by (dx, dy) from the view's centre, then lets the scroll settle.
  void scroll(View* view, double dx, double dy);
  // Holds a finger still on the view for `seconds`, then lifts it.
  void longPress(View* view, double seconds);
  bool type(const std::string& text);  // into the first responder
  bool pressReturn();
  bool deleteBackward();
  // The alert or action sheet button with this title (or index); false when none is shown.
  bool pressAlertButton(const std::string& title);
  bool pressAlertButton(int index);

  // ---- Rotation: the screen turns when the key window's root controller accepts the
  // orientation; its windows take the turned screen's bounds.
  bool rotate(InterfaceOrientation orientation);

  // ---- Pictures
  std::shared_ptr<Image> renderScreen() const;
  std::shared_ptr<Image> renderKeyWindow() const;
  bool writeScreen(const std::string& path) const;
  // Any view tree as a PNG file at the screen's scale.
  static bool writeView(View& view, const std::string& path);

 private:
  Point screenPointOf(const View& view) const;
  void lifecycle(void (Application::*change)());
  void settle();

  std::shared_ptr<ApplicationDelegate> delegate_;
  std::shared_ptr<VirtualClock> clock_;
};

}  // namespace plat

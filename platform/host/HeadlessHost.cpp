#include "platform/host/HeadlessHost.h"

#include <algorithm>

#include "platform/base/Device.h"
#include "platform/base/RunLoop.h"
#include "platform/host/StatusStrip.h"
#include "platform/host/TabletScreen.h"
#include "platform/view/ActionSheet.h"
#include "platform/view/AlertView.h"
#include "platform/view/Animation.h"
#include "platform/view/Clipboard.h"
#include "platform/view/Keyboard.h"
#include "platform/view/ModalOverlay.h"
#include "platform/view/ViewController.h"
#include "platform/view/ViewRenderer.h"
#include "platform/view/Window.h"

namespace plat {
namespace {

// Time a scroll or an animation started by a gesture needs to come to rest.
constexpr double kSettleSeconds = 0.5;

// A view fading out still shows until its drawn alpha reaches 0.
bool showing(const View& view) {
  return !view.isHidden() && (view.alpha() > 0.01 || Animation::presentationOf(view).alpha > 0.01);
}

View* search(View& view, const std::function<bool(View&)>& match) {
  if (!showing(view)) return nullptr;
  if (match(view)) return &view;
  for (const auto& child : std::vector<std::shared_ptr<View>>(view.subviews())) {
    if (View* found = search(*child, match)) return found;
  }
  return nullptr;
}

void resetState() {
  ModalOverlay::reset();
  Clipboard::install(nullptr);
  Keyboard::reset();
  Application::shared().reset();
}

}  // namespace

HeadlessHost::HeadlessHost(std::shared_ptr<ApplicationDelegate> delegate)
    : HeadlessHost(std::move(delegate), Options{}) {}

HeadlessHost::HeadlessHost(std::shared_ptr<ApplicationDelegate> delegate, Options options)
    : delegate_(std::move(delegate)) {
  RunLoop::setMainThread();
  if (options.virtualClock) {
    clock_ = std::make_shared<VirtualClock>(options.startTime);
    Clock::install(clock_);
  }
  resetState();
  Application::shared().setDelegate(delegate_);
}

HeadlessHost::~HeadlessHost() {
  resetState();
  Device::resetOverride();
  if (clock_) Clock::install(nullptr);
}

// ---- Lifecycle

bool HeadlessHost::launch(const Value& options) {
  bool ok = Application::shared().launch(options);
  runUntilIdle();
  return ok;
}

void HeadlessHost::lifecycle(void (Application::*change)()) {
  (Application::shared().*change)();
  runUntilIdle();
}

void HeadlessHost::resignActive() {
  lifecycle(&Application::resignActive);
}
void HeadlessHost::becomeActive() {
  lifecycle(&Application::becomeActive);
}
void HeadlessHost::enterBackground() {
  lifecycle(&Application::enterBackground);
}
void HeadlessHost::enterForeground() {
  lifecycle(&Application::enterForeground);
}
void HeadlessHost::terminate() {
  lifecycle(&Application::terminate);
}
void HeadlessHost::memoryWarning() {
  lifecycle(&Application::receiveMemoryWarning);
}

// ---- Time

void HeadlessHost::advance(double seconds) {
  RunLoop::main().advance(seconds);
  ViewRenderer::displayPass();
}

void HeadlessHost::runUntilIdle() {
  RunLoop::main().runUntilIdle();
  ViewRenderer::displayPass();
}

void HeadlessHost::settle() {
  if (clock_) {
    advance(kSettleSeconds);
  } else {
    runUntilIdle();
  }
}

// ---- Finding

View* HeadlessHost::find(const std::function<bool(View&)>& match) const {
  std::vector<Window*> windows = Application::shared().windows();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    (*it)->layoutIfNeeded();
    if (View* found = search(**it, match)) return found;
  }
  return nullptr;
}

View* HeadlessHost::findByTag(int tag) const {
  return find([tag](View& v) { return v.tag() == tag; });
}

View* HeadlessHost::findByText(const std::string& text) const {
  return find([&](View& v) { return v.displayedText() == text; });
}

View* HeadlessHost::findContainingText(const std::string& part) const {
  return find([&](View& v) { return v.displayedText().find(part) != std::string::npos; });
}

Button* HeadlessHost::findButton(const std::string& title) const {
  return static_cast<Button*>(find([&](View& v) {
    auto* button = dynamic_cast<Button*>(&v);
    return button && button->currentTitle() == title;
  }));
}

AlertView* HeadlessHost::visibleAlert() const {
  Window* overlay = ModalOverlay::window();
  if (!overlay) return nullptr;
  for (const auto& child : overlay->subviews()) {
    if (auto* alert = dynamic_cast<AlertView*>(child.get())) return alert;
  }
  return nullptr;
}

ActionSheet* HeadlessHost::visibleActionSheet() const {
  Window* overlay = ModalOverlay::window();
  if (!overlay) return nullptr;
  for (const auto& child : overlay->subviews()) {
    if (auto* sheet = dynamic_cast<ActionSheet*>(child.get())) return sheet;
  }
  return nullptr;
}

// ---- Driving

Point HeadlessHost::screenPointOf(const View& view) const {
  Point inWindow = view.convertPointTo(view.bounds().center(), nullptr);
  Window* window = view.window();
  return window ? window->convertToSuperview(inWindow) : inWindow;
}

bool HeadlessHost::tap(View* view) {
  if (!view || !view->window()) return false;
  view->window()->layoutIfNeeded();
  Point p = screenPointOf(*view);
  Window* target = Application::shared().windowAt(p);
  if (!target) return false;
  View* hit = target->hitTest(target->convertFromSuperview(p));
  if (!hit || !hit->isDescendantOf(view)) return false;  // covered, or it takes no touches
  tapAt(p);
  return true;
}

void HeadlessHost::tapAt(Point p) {
  Window* window = Application::shared().windowAt(p);
  if (!window) return;
  Point inWindow = window->convertFromSuperview(p);
  window->sendTouch(TouchPhase::Began, inWindow);
  window->sendTouch(TouchPhase::Ended, inWindow);
  runUntilIdle();
}

void HeadlessHost::swipe(Point from, Point to, int steps, double seconds) {
  Window* window = Application::shared().windowAt(from);
  if (!window) return;
  steps = std::max(1, steps);
  window->sendTouch(TouchPhase::Began, window->convertFromSuperview(from));
  for (int i = 1; i <= steps; ++i) {
    if (clock_) clock_->advance(seconds / steps);
    double f = double(i) / steps;
    Point p{from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f};
    window->sendTouch(TouchPhase::Moved, window->convertFromSuperview(p));
    runUntilIdle();
  }
  window->sendTouch(TouchPhase::Ended, window->convertFromSuperview(to));
  runUntilIdle();
}

void HeadlessHost::scroll(View* view, double dx, double dy) {
  if (!view || !view->window()) return;
  Point start = screenPointOf(*view);
  swipe(start, {start.x + dx, start.y + dy});
  settle();
}

void HeadlessHost::longPress(View* view, double seconds) {
  if (!view || !view->window()) return;
  Point p = screenPointOf(*view);
  Window* window = Application::shared().windowAt(p);
  if (!window) return;
  Point inWindow = window->convertFromSuperview(p);
  window->sendTouch(TouchPhase::Began, inWindow);
  advance(seconds);
  window->sendTouch(TouchPhase::Ended, inWindow);
  runUntilIdle();
}

bool HeadlessHost::type(const std::string& text) {
  bool ok = Keyboard::type(text);
  runUntilIdle();
  return ok;
}

bool HeadlessHost::pressReturn() {
  bool ok = Keyboard::pressReturn();
  runUntilIdle();
  return ok;
}

bool HeadlessHost::deleteBackward() {
  bool ok = Keyboard::deleteBackward();
  runUntilIdle();
  return ok;
}

bool HeadlessHost::pressAlertButton(const std::string& title) {
  if (AlertView* alert = visibleAlert()) {
    for (int i = 0; i < alert->numberOfButtons(); ++i) {
      if (alert->buttonTitleAtIndex(i) == title) return pressAlertButton(i);
    }
  }
  if (ActionSheet* sheet = visibleActionSheet()) {
    for (int i = 0; i < sheet->numberOfButtons(); ++i) {
      if (sheet->buttonTitleAtIndex(i) == title) return pressAlertButton(i);
    }
  }
  return false;
}

bool HeadlessHost::pressAlertButton(int index) {
  Button* button = nullptr;
  if (AlertView* alert = visibleAlert()) button = alert->buttonAtIndex(index);
  if (ActionSheet* sheet = visibleActionSheet()) button = sheet->buttonAtIndex(index);
  if (!button || !button->isEnabled()) return false;
  return tap(button);
}

// ---- Rotation

bool HeadlessHost::rotate(InterfaceOrientation orientation) {
  const bool turned = TabletScreen::rotate(orientation);
  runUntilIdle();
  return turned;
}

// ---- Pictures

std::shared_ptr<Image> HeadlessHost::renderScreen() const {
  for (Window* window : Application::shared().windows()) window->layoutIfNeeded();
  std::shared_ptr<Image> screen = ViewRenderer::renderScreen();
  if (screen) StatusStrip::drawOver(*screen, Application::shared(), Clock::current().now());
  return screen;
}

std::shared_ptr<Image> HeadlessHost::renderKeyWindow() const {
  Window* key = Application::shared().keyWindow();
  return key ? ViewRenderer::renderView(*key) : nullptr;
}

bool HeadlessHost::writeScreen(const std::string& path) const {
  std::shared_ptr<Image> image = renderScreen();
  return image && image->writePNG(path);
}

bool HeadlessHost::writeView(View& view, const std::string& path) {
  std::shared_ptr<Image> image = ViewRenderer::renderView(view);
  return image && image->writePNG(path);
}

}  // namespace plat

#include "platform/view/ModalOverlay.h"

#include <deque>

#include "platform/view/Screen.h"
#include "platform/view/Window.h"

namespace plat {
namespace {

struct Waiting {
  std::shared_ptr<View> panel;
  std::function<void(View&)> present;
};

struct State {
  std::shared_ptr<Window> window;
  std::shared_ptr<View> current;
  std::deque<Waiting> queue;
};

State& state() {
  static State* s = new State();  // never destroyed, like the application it serves
  return *s;
}

void presentNext() {
  State& s = state();
  if (s.current || s.queue.empty()) return;
  Waiting next = std::move(s.queue.front());
  s.queue.pop_front();
  if (!s.window) {
    s.window = std::make_shared<Window>();
    s.window->setWindowLevel(kWindowLevelAlert);
    s.window->setBackgroundColor(Color::black().withAlpha(0.4));
  }
  // Hidden, the window did not turn with the screen: it covers the screen as it stands now.
  s.window->setFrame(Screen::main().bounds());
  s.current = next.panel;
  s.window->addSubview(next.panel);
  s.window->setHidden(false);
  if (next.present) next.present(*next.panel);
}

}  // namespace

void ModalOverlay::show(std::shared_ptr<View> panel, std::function<void(View&)> present) {
  if (!panel || isShowing(panel.get()) || isQueued(panel.get())) return;
  state().queue.push_back({std::move(panel), std::move(present)});
  presentNext();
}

void ModalOverlay::hide(const View* panel) {
  State& s = state();
  std::erase_if(s.queue, [&](const Waiting& w) { return w.panel.get() == panel; });
  if (s.current.get() != panel) return;
  std::shared_ptr<View> leaving = std::move(s.current);
  leaving->removeFromSuperview();
  if (s.window) s.window->setHidden(true);
  presentNext();
}

bool ModalOverlay::isShowing(const View* panel) {
  return panel && state().current.get() == panel;
}

bool ModalOverlay::isQueued(const View* panel) {
  for (const Waiting& w : state().queue) {
    if (w.panel.get() == panel) return true;
  }
  return false;
}

Window* ModalOverlay::window() {
  return state().current ? state().window.get() : nullptr;
}

void ModalOverlay::reset() {
  State& s = state();
  s.queue.clear();
  if (s.current) s.current->removeFromSuperview();
  s.current.reset();
  // The next panel's window is made for the screen then, which a test may have made another.
  s.window.reset();
}

}  // namespace plat

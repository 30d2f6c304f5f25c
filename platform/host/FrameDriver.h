// When the desktop window reads its input and draws, on the main run loop: before the loop sleeps,
// when the display has input, when an owed frame falls due, and at the frame pace while the loop
// finds work on every turn and never sleeps. Halfway through a step, while work it queued to run
// at once still waits for its turn, input and frames wait for the step to end (work that queues
// more of it without end holds them only two turns and a frame).
// The window itself (the display's events, the picture) stays with the host; this part holds no
// display, so it runs headless on a virtual clock.
#pragma once

#include <cstdint>
#include <memory>

namespace plat {

class Timer;

class FrameDriver {
 public:
  // What the host's window does when the driver says so.
  class Window {
   public:
    virtual ~Window() = default;
    // Handles the input the display holds; true when there was some.
    virtual bool takeInput() = 0;
    // Draws the screen; `exposed`: shown again whole, even where it did not change.
    virtual void present(bool exposed) = 0;
  };

  explicit FrameDriver(Window& window);
  ~FrameDriver();
  FrameDriver(const FrameDriver&) = delete;
  FrameDriver& operator=(const FrameDriver&) = delete;

  // On the main thread, once the application launched: watches the main run loop and draws the
  // first frame. stop() (or the destructor) lets the loop go.
  void start();
  void stop();

  // The host's own source ran (the display's descriptor, a poll for input, its chores): the loop
  // counts it, but it changed nothing of the screens.
  void hostSourceRan() { ++ownHandled_; }
  // From the host's own source that found input waiting (the display's descriptor, a poll).
  void inputWaits();
  // Something the screens do not show changed the picture (a memory warning, a notification).
  void setChanged() { changed_ = true; }
  // The window must be shown again whole (uncovered, resized, turned).
  void setExposed() { exposed_ = true; }

 private:
  void update(bool betweenTurns);
  void paint(double now);
  void owe(double at);

  Window& window_;
  std::shared_ptr<Timer> frameTimer_;  // a frame owed, at the pace's next slot
  uint64_t ownHandled_ = 0;            // what the loop ran for the window itself
  uint64_t seenOthers_ = 0;
  bool changed_ = true;
  bool exposed_ = true;
  bool started_ = false;
  double lastFrame_ = 0;
};

}  // namespace plat

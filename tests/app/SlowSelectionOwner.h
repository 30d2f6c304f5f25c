// An owner of one of the display's selections that hands its text over as UTF-8 only after a
// while, as a program on a busy machine does: after a delay, or sooner when the test lets it.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

// Last: Xlib's names (None, Bool, Status) are macros.
#include <X11/Xlib.h>

namespace apptest {

class SlowSelectionOwner {
 public:
  // Owns `selection` ("PRIMARY" or "CLIPBOARD") on `display`. Each request is answered `delay`
  // after it came, or at once after release().
  SlowSelectionOwner(const std::string& display, const std::string& selection, std::string text,
                     std::chrono::milliseconds delay);
  ~SlowSelectionOwner();
  SlowSelectionOwner(const SlowSelectionOwner&) = delete;
  SlowSelectionOwner& operator=(const SlowSelectionOwner&) = delete;

  bool owns() const { return owns_; }
  void release() { released_ = true; }
  int asked() const { return asked_; }
  int answered() const { return answered_; }

 private:
  void serve();
  void answer(const XSelectionRequestEvent& request);

  ::Display* display_;
  XErrorHandler formerHandler_ = nullptr;
  ::Window window_ = 0;
  const std::string text_;
  const std::chrono::milliseconds delay_;
  bool owns_ = false;
  std::atomic<bool> released_{false};
  std::atomic<bool> stop_{false};
  std::atomic<int> asked_{0}, answered_{0};
  std::thread serving_;
};

}  // namespace apptest

// Work on a thread of its own that nobody joins. Its owner waits for the end when it must (before
// starting the next piece, or as it goes), while a process that exits after the work ended leaves
// no unjoined thread behind, however long the main thread took to hear of the end.
#pragma once

#include <functional>
#include <memory>

namespace plat {

class DetachedWork {
 public:
  DetachedWork();
  ~DetachedWork();  // waits for the work
  DetachedWork(const DetachedWork&) = delete;
  DetachedWork& operator=(const DetachedWork&) = delete;

  // Runs `work` on a new thread, once the previous work has ended. What `work` holds is let go of
  // before its end is heard.
  void start(std::function<void()> work);
  // Returns once the last work started has ended (at once when there is none).
  void wait();
  bool running() const;

 private:
  struct State;
  std::shared_ptr<State> state_;  // shared with the thread, which may outlive this object's wait
};

}  // namespace plat

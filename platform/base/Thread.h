// A thread that runs its own run loop until stopped: the home of work that other threads hand
// over with performs (the HTTP client's network thread). Destroying it stops and joins it.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/base/RunLoop.h"

namespace plat {

class Thread {
 public:
  explicit Thread(std::string name = "");
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // The thread's loop, from the end of the constructor for as long as this object lives. Once the
  // thread has ended, performs to it are dropped.
  RunLoop& runLoop() { return *loop_; }
  const std::string& name() const { return name_; }

  // Makes the loop return and waits for the thread; tasks still queued are dropped.
  void stopAndJoin();

 private:
  std::string name_;
  std::atomic<bool> stopping_{false};
  RunLoop* loop_ = nullptr;
  std::unique_ptr<RunLoop> retiredLoop_;  // set by the thread as it ends
  std::thread thread_;
};

}  // namespace plat

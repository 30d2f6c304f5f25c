// The readiness sources of one descriptor on its run loop, for a socket stream, a native socket or
// an HTTP exchange: one source per mode, all watching the same events; watching nothing removes
// them from the loop until events are asked for again, so an idle descriptor never wakes the loop.
// What is watched is remembered while unscheduled and watched again once scheduled.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/RunLoop.h"

namespace plat::stream {

class FdSources {
 public:
  using Handler = std::function<void()>;

  FdSources() = default;
  FdSources(const FdSources&) = delete;
  FdSources& operator=(const FdSources&) = delete;
  ~FdSources() { clear(); }

  // `handler` runs on every event of the descriptor; set it before scheduling.
  void setHandler(Handler handler) { handler_ = std::move(handler); }
  // Adds `mode`; a different run loop replaces the old one and its modes.
  void schedule(RunLoop& loop, const std::string& mode);
  void unschedule(const std::string& mode);
  // Watches `fd` (-1: none) for `events` in every scheduled mode.
  void watch(int fd, unsigned events);
  // Leaves the run loop; what is watched is kept for the next schedule.
  void clear();
  RunLoop* loop() const { return loop_; }
  bool empty() const { return sources_.empty(); }

 private:
  void apply(std::pair<std::string, int>& source);
  void remove(std::pair<std::string, int>& source);

  RunLoop* loop_ = nullptr;
  std::vector<std::pair<std::string, int>> sources_;  // mode, source id (-1 while not watching)
  int fd_ = -1;
  unsigned events_ = 0;
  Handler handler_;
};

}  // namespace plat::stream

// The descriptor sources of one socket stream or native socket on its run loop: one source per
// mode, all watching the same events; watching nothing removes them from the loop until events are
// asked for again, so an idle descriptor never wakes the loop.
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

  // `handler` runs on every event of `fd`; set it before scheduling.
  void setHandler(Handler handler) { handler_ = std::move(handler); }
  // Adds `mode`; a different run loop replaces the old one and its modes.
  void schedule(RunLoop& loop, const std::string& mode, int fd);
  void unschedule(const std::string& mode);
  // Watches `fd` for `events` in every scheduled mode.
  void watch(int fd, unsigned events);
  void clear();
  RunLoop* loop() const { return loop_; }
  bool empty() const { return sources_.empty(); }

 private:
  void apply(std::pair<std::string, int>& source, int fd);

  RunLoop* loop_ = nullptr;
  std::vector<std::pair<std::string, int>> sources_;  // mode, source id (-1 while not watching)
  unsigned events_ = 0;
  Handler handler_;
};

}  // namespace plat::stream

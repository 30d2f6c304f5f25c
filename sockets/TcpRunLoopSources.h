// The descriptor sources of one stream or native socket on its run loop: one source per mode, all
// watching the same events; watching nothing removes them from the loop until events are asked
// for again, so an idle descriptor never wakes the loop.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/RunLoop.h"

namespace sockets {

class TcpRunLoopSources {
 public:
  using Handler = std::function<void()>;

  TcpRunLoopSources() = default;
  TcpRunLoopSources(const TcpRunLoopSources&) = delete;
  TcpRunLoopSources& operator=(const TcpRunLoopSources&) = delete;
  ~TcpRunLoopSources() { clear(); }

  // `handler` runs on every event of `fd`; set it before scheduling.
  void setHandler(Handler handler) { handler_ = std::move(handler); }
  // Adds `mode`; a different run loop replaces the old one and its modes.
  void schedule(plat::RunLoop& loop, const std::string& mode, int fd);
  void unschedule(const std::string& mode);
  // Watches `fd` for `events` in every scheduled mode.
  void watch(int fd, unsigned events);
  void clear();
  plat::RunLoop* loop() const { return loop_; }
  bool empty() const { return sources_.empty(); }

 private:
  void apply(std::pair<std::string, int>& source, int fd);

  plat::RunLoop* loop_ = nullptr;
  std::vector<std::pair<std::string, int>> sources_;  // mode, source id (-1 while not watching)
  unsigned events_ = 0;
  Handler handler_;
};

}  // namespace sockets

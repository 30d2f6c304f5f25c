#include "platform/base/Thread.h"

#include <pthread.h>

#include <future>

#include "platform/base/ThreadState.h"

namespace plat {

Thread::Thread(std::string name) : name_(std::move(name)) {
  std::promise<RunLoop*> started;
  auto loopReady = started.get_future();
  thread_ = std::thread([this, &started] {
    if (!name_.empty()) pthread_setname_np(pthread_self(), name_.substr(0, 15).c_str());
    RunLoop& loop = RunLoop::current();
    started.set_value(&loop);
    while (!stopping_.load()) loop.run();
    threadState::release();
    retiredLoop_ = RunLoop::retireCurrent();
  });
  loop_ = loopReady.get();
}

Thread::~Thread() {
  stopAndJoin();
}

void Thread::stopAndJoin() {
  if (!thread_.joinable()) return;
  stopping_.store(true);
  loop_->stop();
  thread_.join();
}

}  // namespace plat

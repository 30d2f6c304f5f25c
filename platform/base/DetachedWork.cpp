#include "platform/base/DetachedWork.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace plat {

struct DetachedWork::State {
  std::mutex mutex;
  std::condition_variable ended;
  bool running = false;
};

DetachedWork::DetachedWork() : state_(std::make_shared<State>()) {}

DetachedWork::~DetachedWork() { wait(); }

void DetachedWork::start(std::function<void()> work) {
  wait();
  {
    std::lock_guard lock(state_->mutex);
    state_->running = true;
  }
  std::thread([state = state_, work = std::move(work)]() mutable {
    work();
    work = nullptr;  // its captures may point into the owner, which a waiter may then destroy
    std::lock_guard lock(state->mutex);
    state->running = false;
    state->ended.notify_all();
  }).detach();
}

void DetachedWork::wait() {
  std::unique_lock lock(state_->mutex);
  state_->ended.wait(lock, [this] { return !state_->running; });
}

bool DetachedWork::running() const {
  std::lock_guard lock(state_->mutex);
  return state_->running;
}

}  // namespace plat

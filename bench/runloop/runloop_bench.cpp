// Handing work to another thread: performs onto a running RunLoop against the plain reference,
// a mutex-and-condition-variable queue served by one thread. Each iteration posts a batch of
// small tasks and waits until the last one ran.
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "bench/support/Ratio.h"
#include "platform/base/Thread.h"

namespace {

class PlainTaskQueue {
 public:
  PlainTaskQueue() : worker_([this] { serve(); }) {}
  ~PlainTaskQueue() {
    post(nullptr);
    worker_.join();
  }
  void post(std::function<void()> task) {
    {
      std::lock_guard lock(mutex_);
      tasks_.push_back(std::move(task));
    }
    cv_.notify_one();
  }

 private:
  void serve() {
    for (;;) {
      std::function<void()> task;
      {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return !tasks_.empty(); });
        task = std::move(tasks_.front());
        tasks_.pop_front();
      }
      if (!task) return;
      task();
    }
  }

  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<std::function<void()>> tasks_;
  std::thread worker_;
};

void BM_RunLoopPerform(benchmark::State& state) {
  plat::Thread thread("bench");
  plat::RunLoop& loop = thread.runLoop();
  const int batch = static_cast<int>(state.range(0));
  long counter = 0;
  for (auto _ : state) {
    for (int i = 0; i < batch; ++i) loop.perform([&counter] { ++counter; });
    std::promise<void> done;
    loop.perform([&done] { done.set_value(); });
    done.get_future().wait();
  }
  benchmark::DoNotOptimize(counter);
  state.SetItemsProcessed(state.iterations() * batch);
}

void BM_MutexQueue(benchmark::State& state) {
  PlainTaskQueue queue;
  const int batch = static_cast<int>(state.range(0));
  long counter = 0;
  for (auto _ : state) {
    for (int i = 0; i < batch; ++i) queue.post([&counter] { ++counter; });
    std::promise<void> done;
    queue.post([&done] { done.set_value(); });
    done.get_future().wait();
  }
  benchmark::DoNotOptimize(counter);
  state.SetItemsProcessed(state.iterations() * batch);
}

BENCHMARK(BM_RunLoopPerform)->Arg(1)->Arg(100)->UseRealTime();
BENCHMARK(BM_MutexQueue)->Arg(1)->Arg(100)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return bench::runWithRatios(argc, argv,
                              {{"runloop_perform_vs_queue", "BM_RunLoopPerform/100/real_time",
                                "BM_MutexQueue/100/real_time"}});
}

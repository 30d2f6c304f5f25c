#include "platform/base/ThreadState.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace plat::threadState {
namespace {

std::mutex& releasesMutex() {
  static std::mutex* mutex = new std::mutex;  // threads may still release while the process exits
  return *mutex;
}
std::vector<void (*)()>& releases() {
  static auto* list = new std::vector<void (*)()>;
  return *list;
}

}  // namespace

void addRelease(void (*release)()) {
  std::lock_guard lock(releasesMutex());
  if (std::find(releases().begin(), releases().end(), release) == releases().end())
    releases().push_back(release);
}

void release() {
  std::vector<void (*)()> all;
  {
    std::lock_guard lock(releasesMutex());
    all = releases();
  }
  for (auto* release : all) release();
}

}  // namespace plat::threadState

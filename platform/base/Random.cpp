#include "platform/base/Random.h"

#include <mutex>

namespace plat {
namespace {

// A 64-bit linear congruential step with the high bits taken: small, fast and the same
// everywhere, which is all the shuffles and reminder spacing ask for.
class Generator {
 public:
  void seed(unsigned s) {
    std::lock_guard lock(mutex_);
    state_ = s * 0x9E3779B97F4A7C15ull + 1;
  }
  int next() {
    std::lock_guard lock(mutex_);
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<int>(state_ >> 33);
  }

 private:
  std::mutex mutex_;
  uint64_t state_ = 1 * 0x9E3779B97F4A7C15ull + 1;  // as if seeded with 1
};

Generator& randGenerator() {
  static Generator g;
  return g;
}

Generator& randomGenerator() {
  static Generator g;
  return g;
}

}  // namespace

void seedRand(unsigned seed) {
  randGenerator().seed(seed);
}
int rand() {
  return randGenerator().next();
}
void seedRandom(unsigned seed) {
  randomGenerator().seed(seed);
}
long random() {
  return randomGenerator().next();
}

}  // namespace plat

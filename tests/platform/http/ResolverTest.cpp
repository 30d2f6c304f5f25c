#include "platform/stream/Resolver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/support/NoDescriptorsLeft.h"

using plat::stream::HostLookup;

// A lookup that could not make the descriptor its caller waits on is done at once with that
// failure, instead of leaving the caller waiting for a readiness that never comes. The lookup
// runs on a thread started before descriptors run out (the sanitizers need some of their own),
// once with room first so that they know the types involved.
TEST(Resolver, ALookupWithoutADescriptorFailsAtOnce) {
  for (bool tight : {false, true}) {
    bool doneAtOnce = false, failed = false;
    testsupport::onNewThread(tight, [&] {
      auto lookup = HostLookup::start("localhost", 80);
      doneAtOnce = lookup->isDone();
      if (doneAtOnce) failed = static_cast<bool>(lookup->takeResult().error);
      // The loose lookup's descriptor must be closed before the next run counts the free ones.
      while (!lookup->isDone()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      while (lookup.use_count() > 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    if (tight) {
      EXPECT_TRUE(doneAtOnce);
      EXPECT_TRUE(failed);
    }
  }
}

// The reachability watcher: its three monitors are started on the creating thread's loop, it
// hears their changes while it lives, and lets go of them when it goes.
#include "sockets/CheckNet.h"

#include <gtest/gtest.h>
#include <netdb.h>

#include <cstdlib>
#include <set>

#include "platform/stream/Resolver.h"
#include "tests/support/FakeNetwork.h"
#include "tests/support/VirtualTime.h"

using sockets::CheckNet;

namespace {

class CheckNetTest : public ::testing::Test {
 protected:
  // The watched host is a test name, not the bundle's outside host; it is looked up in the
  // test's own table, where it stands at a public address.
  void SetUp() override {
    ::setenv("VOCAB_REACHABILITY_HOST", "reachability.test", 1);
    plat::stream::setLookupFunction([](const std::string& host, int port) {
      if (host == "reachability.test") return plat::stream::resolveBlocking("192.0.2.7", port);
      plat::stream::Resolution unknown;
      unknown.error = plat::stream::StreamError::resolver(EAI_NONAME);
      return unknown;
    });
  }
  void TearDown() override {
    plat::stream::setLookupFunction(nullptr);
    ::unsetenv("VOCAB_REACHABILITY_HOST");
  }
  testsupport::VirtualTime time;
  testsupport::FakeNetwork network;
};

TEST_F(CheckNetTest, MonitorsAreStartedAndStopWithTheWatcher) {
  EXPECT_EQ(CheckNet::watchedHost(), "reachability.test");
  std::set<const void*> changed;
  int observer = 0;
  plat::NotificationCenter::defaultCenter().addObserver(
      &observer, kNetworkReachabilityChangedNotification, nullptr,
      [&](const plat::Notification& note) { changed.insert(note.object); });
  {
    CheckNet& check = CheckNet::sharedCheck();
    EXPECT_EQ(&CheckNet::sharedCheck(), &check);
    network.online(/*cellular=*/true);  // every target changes its answer
    // (The host's answer waits for its lookup, on another thread.)
    plat::RunLoop::main().runUntil([&] { return changed.size() == 3; }, 10);
    EXPECT_EQ(changed, (std::set<const void*>{check.hostReach().get(), check.internetReach().get(),
                                              check.wifiReach().get()}));
    EXPECT_EQ(check.configureTextField(*check.wifiReach()), NotReachable);
    delete &check;
  }
  delete &CheckNet::sharedCheck();  // a new one: the deleted one was forgotten
  changed.clear();
  network.offline();  // the watcher and its monitors are gone: nothing is heard, nothing breaks
  time.runUntilIdle();
  EXPECT_TRUE(changed.empty());
  plat::NotificationCenter::defaultCenter().removeObserver(&observer);
}

// Nothing configured, the watcher still watches a host: the bundle's.
TEST_F(CheckNetTest, TheBundleNamesTheWatchedHostByDefault) {
  ::unsetenv("VOCAB_REACHABILITY_HOST");
  EXPECT_FALSE(CheckNet::watchedHost().empty());
  CheckNet& check = CheckNet::sharedCheck();
  EXPECT_NE(check.hostReach(), nullptr);
  EXPECT_EQ(check.configureTextField(*check.hostReach()), NotReachable)
      << "its name is not in the test's table";
  delete &check;
}

}  // namespace

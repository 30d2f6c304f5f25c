// The reachability watcher: its three monitors are started on the creating thread's loop, it
// hears their changes while it lives, and lets go of them when it goes. The host it watches is the
// account server's.
#include "sockets/CheckNet.h"

#include <gtest/gtest.h>
#include <netdb.h>

#include <set>

#include "platform/stream/Resolver.h"
#include "store/CallDB.h"
#include "tests/support/FakeNetwork.h"
#include "tests/support/Patience.h"
#include "tests/support/TempHome.h"
#include "tests/support/VirtualTime.h"

using sockets::CheckNet;

namespace {

class CheckNetTest : public ::testing::Test {
 protected:
  // The account server is at a test name, looked up in the test's own table, where it stands at
  // a public address.
  void SetUp() override {
    CallDB::callDB()->UpdatePersonalValue("url", "http://reachability.test:8080/");
    plat::stream::setLookupFunction([](const std::string& host, int port) {
      if (host == "reachability.test") return plat::stream::resolveBlocking("192.0.2.7", port);
      plat::stream::Resolution unknown;
      unknown.error = plat::stream::StreamError::resolver(EAI_NONAME);
      return unknown;
    });
  }
  void TearDown() override {
    plat::stream::setLookupFunction(nullptr);
    CallDB::Release_CallDB();
  }
  testsupport::TempHome home;  // the study store, and its server base, of one case
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
    plat::RunLoop::main().runUntil([&] { return changed.size() == 3; }, testsupport::kPatience);
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

// The host follows the server base as it stands when the watcher is made; a base that names no
// host leaves the host monitor out, and the other two still watch.
TEST_F(CheckNetTest, TheWatchedHostIsTheAccountServersOrNone) {
  CallDB::callDB()->UpdatePersonalValue("url", "http://127.0.0.1:8080");  // as shipped
  EXPECT_EQ(CheckNet::watchedHost(), "127.0.0.1");
  CallDB::callDB()->UpdatePersonalValue("url", "https://[::1]:9/api");
  EXPECT_EQ(CheckNet::watchedHost(), "::1");
  CallDB::callDB()->UpdatePersonalValue("url", "");
  EXPECT_EQ(CheckNet::watchedHost(), "");
  CheckNet& check = CheckNet::sharedCheck();
  EXPECT_EQ(check.hostReach(), nullptr);
  EXPECT_NE(check.internetReach(), nullptr);
  EXPECT_NE(check.wifiReach(), nullptr);
  delete &check;
}

}  // namespace

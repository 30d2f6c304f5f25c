#include "platform/base/RunLoop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/base/Clock.h"
#include "platform/base/Thread.h"
#include "tests/support/NoDescriptorsLeft.h"
#include "tests/support/Patience.h"
#include "tests/support/VirtualTime.h"

using plat::RunLoop;
using plat::Timer;

namespace {

class RunLoopTest : public ::testing::Test {
 protected:
  testsupport::VirtualTime time;
  RunLoop& loop = RunLoop::main();
  std::vector<std::string> log;

  RunLoop::Task record(std::string what) {
    return [this, what] { log.push_back(what); };
  }
};

using Log = std::vector<std::string>;

}  // namespace

TEST_F(RunLoopTest, DelayedPerformsFireInTimeOrderOnceEvenWhenRunningTheLoop) {
  loop.performAfter(2.0, nullptr, "", record("late"));
  loop.performAfter(1.0, nullptr, "", record("first"));
  loop.performAfter(1.0, nullptr, "", record("second"));  // same time: order of posting
  loop.performAfter(0.0, nullptr, "", record("now"));
  loop.runUntilIdle();
  EXPECT_EQ(log, Log{"now"});
  loop.advance(0.999);
  EXPECT_EQ(log, Log{"now"});
  loop.advance(0.001);
  EXPECT_EQ(log, (Log{"now", "first", "second"}));
  loop.advance(5);
  EXPECT_EQ(log, (Log{"now", "first", "second", "late"}));

  // A delayed perform or one-shot timer whose callback runs the loop again (a modal wait) fires
  // once.
  int performs = 0, timers = 0;
  loop.performAfter(1.0, nullptr, "", [&] {
    ++performs;
    loop.advance(0.5);
  });
  auto timer = Timer::scheduled(1.0, false, [&](Timer&) {
    ++timers;
    loop.runUntilIdle();
  });
  loop.advance(2.0);
  EXPECT_EQ(performs, 1);
  EXPECT_EQ(timers, 1);
  EXPECT_FALSE(timer->isValid());
}

TEST_F(RunLoopTest, CancelByOwnerAndKeyRemovesExactlyThose) {
  int a = 0, b = 0;
  loop.performAfter(1, &a, "x", record("a.x"));
  loop.performAfter(1, &a, "y", record("a.y"));
  loop.performAfter(1, &b, "x", record("b.x"));
  loop.performAfter(1, nullptr, "x", record("none.x"));
  loop.performAfter(1, &b, "y", record("b.y"));
  loop.cancelPerforms(&a, "x");
  loop.cancelPerforms(nullptr, "y");  // no such perform: nothing else goes
  loop.advance(1);
  EXPECT_EQ(log, (Log{"a.y", "b.x", "none.x", "b.y"}));
  log.clear();
  loop.performAfter(1, &b, "x", record("b.x"));
  loop.performAfter(1, &b, "z", record("b.z"));
  loop.performAfter(1, &a, "z", record("a.z"));
  loop.cancelPerforms(&b);
  loop.advance(1);
  EXPECT_EQ(log, Log{"a.z"});
}

// Work queued to run at once is known until it ran or was cancelled; delayed performs and plain
// timers, due or not, are not such work, nor is a perform the running mode does not serve.
TEST_F(RunLoopTest, PerformsDueAtOnceAreKnownUntilTheyRan) {
  auto timer = Timer::scheduled(0, false, [](Timer&) {});
  loop.performAfter(0.5, nullptr, "later", record("later"));
  time.clock().advance(1);
  EXPECT_FALSE(loop.hasPerformsDueAtOnce(plat::kDefaultRunLoopMode));
  int owner = 0;
  loop.performAfter(0, &owner, "load", record("load"));
  EXPECT_TRUE(loop.hasPerformsDueAtOnce(plat::kDefaultRunLoopMode));
  EXPECT_FALSE(loop.hasPerformsDueAtOnce(plat::kTrackingRunLoopMode));
  loop.cancelPerforms(&owner, "load");
  EXPECT_FALSE(loop.hasPerformsDueAtOnce(plat::kDefaultRunLoopMode));
  // One queued by another runs on the next turn, and is known until then.
  loop.performAfter(0, nullptr, "first", [&] {
    log.push_back("first");
    loop.performAfter(0, nullptr, "second", record("second"));
    EXPECT_TRUE(loop.hasPerformsDueAtOnce(plat::kDefaultRunLoopMode));
  });
  loop.runUntilIdle();
  EXPECT_EQ(log, (Log{"later", "first", "second"}));
  EXPECT_FALSE(loop.hasPerformsDueAtOnce(plat::kDefaultRunLoopMode));
}

// Work queued to run at once by work of the same kind, turn after turn, has waited since the first
// of it came and through every turn since; once a turn ends without any, the next is new.
TEST_F(RunLoopTest, WorkDueAtOnceThatQueuesMoreKeepsCountingFromTheFirst) {
  const std::string mode = plat::kDefaultRunLoopMode;
  EXPECT_FALSE(loop.performsDueAtOnceWaiting(mode));
  const double first = time.now();
  int links = 3;
  std::function<void()> link = [&] {
    if (--links > 0) loop.performAfter(0, nullptr, "link", link);
  };
  loop.performAfter(0, nullptr, "link", link);
  ASSERT_TRUE(loop.performsDueAtOnceWaiting(mode));
  EXPECT_EQ(loop.performsDueAtOnceWaiting(mode)->turnsEnded, 0);
  for (int turn = 1; turn <= 2; ++turn) {
    time.clock().advance(0.01);
    loop.runMode(mode, time.now(), true);
    const auto waiting = loop.performsDueAtOnceWaiting(mode);
    ASSERT_TRUE(waiting);
    EXPECT_EQ(waiting->since, first);
    EXPECT_EQ(waiting->turnsEnded, turn);
  }
  time.clock().advance(0.01);
  loop.runMode(mode, time.now(), true);
  EXPECT_FALSE(loop.performsDueAtOnceWaiting(mode)) << "the chain ended";
  loop.performAfter(0, nullptr, "next", [] {});
  ASSERT_TRUE(loop.performsDueAtOnceWaiting(mode));
  EXPECT_EQ(loop.performsDueAtOnceWaiting(mode)->since, time.now());
  EXPECT_EQ(loop.performsDueAtOnceWaiting(mode)->turnsEnded, 0);
  EXPECT_FALSE(loop.performsDueAtOnceWaiting(plat::kTrackingRunLoopMode));
}

// A loop that finds work on every turn never sleeps: an observer given a busy interval is told
// between turns at that pace of the clock, however the work is queued, also when each turn takes
// most of the interval; one without is never told.
TEST_F(RunLoopTest, AnObserverWithABusyIntervalIsToldAtItsPaceWhileWorkQueuesWorkAtOnce) {
  struct Pace {
    double interval, turnTakes;
  };
  for (const Pace pace : {Pace{0.1, 0.001}, Pace{0.1, 0.07}, Pace{0.0, 0.001}}) {
    SCOPED_TRACE(testing::Message() << pace.interval << " s, turns of " << pace.turnTakes);
    int told = 0;
    loop.setBeforeWaitingObserver([&] { ++told; }, pace.interval);
    bool goOn = true;
    std::function<void()> step = [&] {
      if (goOn) loop.performAfter(0, nullptr, "again", step);
    };
    loop.perform(step);
    const double start = time.now();
    while (time.now() - start < 1.0) {
      time.clock().advance(pace.turnTakes);
      loop.runMode(plat::kDefaultRunLoopMode, time.now(), true);
    }
    EXPECT_NEAR(told, pace.interval > 0 ? 10 : 0, 1);
    goOn = false;
    loop.setBeforeWaitingObserver(nullptr);
    loop.runUntilIdle();
  }
}

TEST_F(RunLoopTest, PerformsFromTheLoopThreadItself) {
  // A perform posted from a perform runs on a later turn, never inline and never deadlocking.
  loop.perform([&] {
    log.push_back("outer");
    loop.perform(record("inner"));
    loop.performAndWait(record("inline"));
    log.push_back("outer end");
  });
  loop.runUntilIdle();
  EXPECT_EQ(log, (Log{"outer", "inline", "outer end", "inner"}));
}

TEST_F(RunLoopTest, NestedRunInAnotherModeLeavesDefaultTimersAlone) {
  auto plain = Timer::scheduled(1, false, [&](Timer&) { log.push_back("default timer"); });
  auto common = Timer::scheduled(
      1, false, [&](Timer&) { log.push_back("common timer"); }, plat::kCommonModes);
  auto custom = Timer::scheduled(
      2, false,
      [&](Timer&) {
        log.push_back("custom timer in " + loop.currentMode());
        loop.stop();
      },
      "custom");
  loop.perform(record("common perform"));
  time.clock().advance(5);  // everything is due now
  EXPECT_TRUE(loop.runMode("custom", time.now() + 10));
  EXPECT_EQ(log, Log{"custom timer in custom"});
  loop.runUntilIdle(plat::kTrackingRunLoopMode);
  EXPECT_EQ(log, (Log{"custom timer in custom", "common perform", "common timer"}));
  loop.runUntilIdle();
  EXPECT_EQ(log.back(), "default timer");
  EXPECT_FALSE(plain->isValid());                         // one-shot timers end after firing
  EXPECT_FALSE(loop.runMode("custom", time.now() + 10));  // nothing left in that mode
}

TEST_F(RunLoopTest, TimersFireTheRightNumberOfTimesAndMayBeChangedFromTheirCallbacks) {
  std::vector<double> firedAt;
  auto timer = Timer::scheduled(0.25, true, [&](Timer&) { firedAt.push_back(time.now()); });
  const double start = time.now();
  loop.advance(1.0);
  ASSERT_EQ(firedAt.size(), 4u);
  EXPECT_DOUBLE_EQ(firedAt[0], start + 0.25);
  EXPECT_DOUBLE_EQ(firedAt[3], start + 1.0);
  loop.advance(0.2);
  EXPECT_EQ(firedAt.size(), 4u);
  loop.advance(0.05);
  EXPECT_EQ(firedAt.size(), 5u);
  // A loop that comes late fires once and then keeps the rhythm after now.
  time.clock().advance(10.1);
  loop.runUntilIdle();
  EXPECT_EQ(firedAt.size(), 6u);
  EXPECT_GT(timer->fireDate(), time.now());
  EXPECT_LE(timer->fireDate(), time.now() + 0.25);
  timer->invalidate();
  loop.advance(5);
  EXPECT_EQ(firedAt.size(), 6u);

  int count = 0;
  auto selfEnding = Timer::scheduled(1, true, [&](Timer& t) {
    if (++count == 3) t.invalidate();
  });
  auto moved = Timer::scheduled(1, false, [&](Timer&) { log.push_back("moved"); });
  moved->setFireDate(time.now() + 10);
  loop.advance(9);
  EXPECT_EQ(count, 3);
  EXPECT_TRUE(log.empty());
  loop.advance(1);
  EXPECT_EQ(log, Log{"moved"});
  auto fired = Timer::scheduled(100, false, [&](Timer&) { log.push_back("fired by hand"); });
  fired->fire();
  EXPECT_FALSE(fired->isValid());
  loop.advance(200);
  EXPECT_EQ(log, (Log{"moved", "fired by hand"}));
}

TEST_F(RunLoopTest, DescriptorSourcesReportReadinessAndMayRemoveThemselves) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::string received;
  int id = -1;
  id = loop.addFdSource(fds[0], plat::kFdReadable, [&](int fd, unsigned events) {
    EXPECT_EQ(events, plat::kFdReadable);
    char buf[16];
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) received.append(buf, static_cast<size_t>(n));
    loop.removeFdSource(id);
  });
  loop.runUntilIdle();
  EXPECT_TRUE(received.empty());
  ASSERT_EQ(::write(fds[1], "hello", 5), 5);
  EXPECT_TRUE(loop.runUntil([&] { return !received.empty(); }, testsupport::kPatience));
  ASSERT_EQ(::write(fds[1], "more", 4), 4);
  loop.runUntilIdle();
  EXPECT_EQ(received, "hello") << "the source removed itself";
  int writable = 0;
  int wid =
      loop.addFdSource(fds[1], plat::kFdReadable | plat::kFdWritable,
                       [&](int, unsigned events) { writable += events == plat::kFdWritable; });
  loop.runUntilIdle();
  loop.removeFdSource(wid);
  EXPECT_GE(writable, 1);
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST(RunLoopThreads, AThreadRunsPerformsUntilJoinedAndDropsThemAfterwards) {
  plat::Thread thread("worker");
  RunLoop& loop = thread.runLoop();
  std::thread::id where;
  loop.performAndWait([&] { where = std::this_thread::get_id(); });
  EXPECT_NE(where, std::this_thread::get_id());
  // A task stopping the loop does not end the thread; only stopAndJoin does.
  loop.performAndWait([] { RunLoop::current().stop(); });
  int count = 0;
  loop.performAndWait([&] { ++count; });
  EXPECT_EQ(count, 1);

  // What a request still starting at exit does to the network thread's loop.
  thread.stopAndJoin();
  auto captured = std::make_shared<int>(0);
  bool ran = false;
  loop.perform([captured, &ran] { ran = true; });
  loop.performAndWait([&ran] { ran = true; });  // returns at once
  EXPECT_FALSE(ran);
  EXPECT_EQ(captured.use_count(), 1);
}

TEST(RunLoopThreads, PerformsQueuedWithoutWakingKeepTheirPlaceAndRunOnTheNextWakeUp) {
  plat::Thread thread("quiet");
  RunLoop& loop = thread.runLoop();
  std::mutex mutex;
  Log log;
  auto add = [&](std::string what) {
    return [&, what] {
      std::lock_guard<std::mutex> lock(mutex);
      log.push_back(what);
    };
  };
  loop.performWithoutWaking(add("quiet"));
  loop.performAndWait(add("loud"));
  std::atomic<bool> woken{false};
  loop.performWithoutWaking([&] { woken = true; });
  loop.wake();
  for (int i = 0; i < 5000 && !woken; ++i) usleep(1000);
  EXPECT_TRUE(woken);
  EXPECT_EQ(log, (Log{"quiet", "loud"}));
}

// Two loops with nothing else to do hand a count back and forth, so each sleeps without a time
// limit between turns: a wake-up lost in the hand-over would stop the count for good. One of them
// watches a descriptor on every other turn, so that it sleeps both on its descriptors and without
// any, and the other loop's perform meets it in either way or while it changes between them.
TEST(RunLoopThreads, HandOversBetweenTwoSleepingLoopsAreNeverLost) {
  constexpr int kRounds = 5000;
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);  // never written: only watched
  plat::Thread ping("ping"), pong("pong");
  std::atomic<int> rounds{0};
  int watchId = 0;  // pong's loop only
  std::function<void()> toPing, toPong;
  toPong = [&] {
    pong.runLoop().perform([&] {
      if (watchId) {
        RunLoop::current().removeFdSource(watchId);
        watchId = 0;
      } else {
        watchId = RunLoop::current().addFdSource(fds[0], plat::kFdReadable, [](int, unsigned) {});
      }
      if (++rounds < kRounds) toPing();
    });
  };
  toPing = [&] { ping.runLoop().perform([&] { toPong(); }); };
  toPing();
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(testsupport::kPatience);
  while (rounds < kRounds && std::chrono::steady_clock::now() < deadline) usleep(1000);
  EXPECT_EQ(rounds, kRounds);
  ping.stopAndJoin();
  pong.stopAndJoin();
  ::close(fds[0]);
  ::close(fds[1]);
}

// The observer hears of real waits only: not of a turn that finds a descriptor ready. A perform
// it posts keeps the loop from sleeping, which here would last until the far limit.
TEST(RunLoopObserver, TheLoopTellsOfRealWaitsOnlyAndRunsWhatTheObserverPosts) {
  RunLoop& loop = RunLoop::current();
  loop.discardAllSources();
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ASSERT_EQ(::write(fds[1], "x", 1), 1);
  int told = 0;
  Log log;
  loop.setBeforeWaitingObserver([&] { ++told; });
  const int id = loop.addFdSource(fds[0], plat::kFdReadable, [&](int fd, unsigned) {
    char byte;
    if (::read(fd, &byte, 1) == 1) log.push_back("read");
  });
  const double farLimit = plat::Clock::current().now() + 2 * testsupport::kPatience;
  loop.runMode(plat::kDefaultRunLoopMode, farLimit, true);
  EXPECT_EQ(log, Log{"read"});
  EXPECT_EQ(told, 0);

  loop.setBeforeWaitingObserver([&] {
    ++told;
    loop.perform([&] { log.push_back("posted while going to sleep"); });
    loop.setBeforeWaitingObserver(nullptr);
  });
  const auto start = std::chrono::steady_clock::now();
  loop.runMode(plat::kDefaultRunLoopMode, farLimit, true);
  EXPECT_LT(std::chrono::steady_clock::now() - start,
            std::chrono::duration<double>(testsupport::kPatience));
  EXPECT_EQ(told, 1);
  EXPECT_EQ(log, (Log{"read", "posted while going to sleep"}));
  loop.removeFdSource(id);
  loop.discardAllSources();
  ::close(fds[0]);
  ::close(fds[1]);
}

// A timer the observer schedules as the loop goes to sleep (a frame owed) ends the sleep when it
// falls due, not the far limit worked out before the observer ran.
TEST(RunLoopObserver, ATimerTheObserverSchedulesEndsTheSleep) {
  RunLoop& loop = RunLoop::current();
  loop.discardAllSources();
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const int id = loop.addFdSource(fds[0], plat::kFdReadable, [](int, unsigned) {});
  bool fired = false;
  std::shared_ptr<plat::Timer> owed;
  loop.setBeforeWaitingObserver([&] {
    owed = plat::Timer::scheduled(0.05, false, [&](plat::Timer&) { fired = true; });
    loop.setBeforeWaitingObserver(nullptr);
  });
  const auto start = std::chrono::steady_clock::now();
  const double farLimit = plat::Clock::current().now() + 2 * testsupport::kPatience;
  while (!fired && loop.runMode(plat::kDefaultRunLoopMode, farLimit, true)) {
  }
  EXPECT_TRUE(fired);
  EXPECT_LT(std::chrono::steady_clock::now() - start,
            std::chrono::duration<double>(testsupport::kPatience));
  loop.removeFdSource(id);
  loop.discardAllSources();
  ::close(fds[0]);
  ::close(fds[1]);
}

using testsupport::onNewThread;

// A loop that sleeps tells the observer as it goes to sleep, not again at the busy pace when it
// wakes: an idle window is not woken to look at itself.
TEST(RunLoopObserver, ASleepingLoopIsNotToldAtTheBusyPace) {
  RunLoop& loop = RunLoop::current();
  loop.discardAllSources();
  int told = 0;
  loop.setBeforeWaitingObserver([&] { ++told; }, 0.02);
  auto tick = Timer::scheduled(0.25, true, [](Timer&) {});
  loop.runMode(plat::kDefaultRunLoopMode, plat::Clock::current().now() + 1.0);
  EXPECT_GE(told, 4) << "before each of the sleeps";
  // At the busy pace it would have been told some fifty times; a wake-up the scheduler let wait
  // longer than the interval may add one.
  EXPECT_LE(told, 12) << "told while it slept";
  loop.setBeforeWaitingObserver(nullptr);
  loop.discardAllSources();
}

TEST(RunLoopThreads, ALoopThatCouldNotBeWokenIsRefusedAtOnce) {
  for (bool tight : {false, true}) {
    bool refused = false;
    onNewThread(tight, [&] {
      try {
        RunLoop::current();
        // The loose run meets the failure's type too, for the sanitizers' sake.
        if (!tight) throw std::system_error(0, std::generic_category());
      } catch (const std::system_error& error) {
        refused = error.code().value() == EMFILE;
      }
    });
    EXPECT_EQ(refused, tight);
  }
}

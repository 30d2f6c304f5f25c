#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

#include "analytics/AnalyticsCrash.h"
#include "platform/base/Files.h"
#include "tests/analytics/AnalyticsFixture.h"
#include "tests/support/Patience.h"

namespace {

class AnalyticsCrashes : public AnalyticsFixture {
 protected:
  // Runs `crash` in a forked child that started the analytics with crash reports on; returns the
  // signal that ended the child.
  int crashInChild(const std::function<void()>& crash, bool reportsOn = true) {
    settings().synchronize();
    pid_t child = fork();
    if (child == 0) {
      Analytics::startWithAppkey("4f5a6b7c8d9e0f1a2b3c4d5e");
      time_.runUntilIdle();
      Analytics::setCrashReportEnabled(reportsOn);
      Analytics::event("before-crash");
      time_.runUntilIdle();
      crash();
      _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  // The next launch: the crash report and the crashed session are read back.
  const ANError* nextLaunchReport() {
    relaunch();
    start();
    if (core().errors.size() != 1) return nullptr;
    return static_cast<const ANError*>(core().errors[0].get());
  }
};

TEST_F(AnalyticsCrashes, SignalOnTheMainThreadIsWrittenStraightToDisk) {
  EXPECT_EQ(crashInChild([] { raise(SIGSEGV); }), SIGSEGV);
  const ANError* report = nextLaunchReport();
  ASSERT_TRUE(report);
  EXPECT_EQ(report->context.rfind("Application received signal SIGSEGV\n(null)\n((\n\t0x", 0), 0u);
  EXPECT_NE(report->context.find("\nBinary Image: analytics_tests\n"), std::string::npos);
  EXPECT_EQ(core().terminates.size(), 1u);
}

TEST_F(AnalyticsCrashes, AReportOnDiskOutlivesACacheOfUnknownVersion) {
  // The cache of an earlier session end, written before any crash stored its version.
  start();
  Analytics::event("cached");
  time_.runUntilIdle();
  core().saveAndCleanCache();
  EXPECT_EQ(crashInChild([] { raise(SIGFPE); }), SIGFPE);
  ASSERT_TRUE(nextLaunchReport());
  EXPECT_EQ(eventIds(), std::vector<std::string>{"cached"});
}

TEST_F(AnalyticsCrashes, NothingIsLeftBehindWhileReportsAreOff) {
  EXPECT_EQ(crashInChild([] { raise(SIGSEGV); }, false), SIGSEGV);
  EXPECT_FALSE(plat::files::exists(AnalyticsInternal::crashFilePath()));
}

TEST_F(AnalyticsCrashes, SignalOnAnotherThreadIsHandedToTheMainThread) {
  EXPECT_EQ(crashInChild([] {
              std::thread([] { raise(SIGBUS); }).detach();
              plat::RunLoop::main().runUntil([] { return false; }, testsupport::kPatience);
            }),
            SIGBUS);
  const ANError* report = nextLaunchReport();
  ASSERT_TRUE(report);
  EXPECT_EQ(report->context.rfind("Application received signal SIGBUS", 0), 0u);
  // The main thread ended the session and kept the event.
  EXPECT_EQ(eventIds(), std::vector<std::string>{"before-crash"});
}

TEST_F(AnalyticsCrashes, UncaughtExceptionBecomesAReport) {
  EXPECT_EQ(crashInChild(
                [] { std::thread([] { throw std::runtime_error("word list broken"); }).join(); }),
            SIGABRT);
  const ANError* report = nextLaunchReport();
  ASSERT_TRUE(report);
  EXPECT_EQ(report->context.rfind("word list broken\n(null)\n((", 0), 0u);
}

}  // namespace

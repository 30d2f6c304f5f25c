// The desktop's memory figures as the application's memory warnings: levels read from the kernel's
// pressure text and from meminfo, and one warning per episode from a pressure file the test writes,
// read on the run loop of a launched application.
#include <gtest/gtest.h>

#include "platform/base/Files.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/MemoryPressure.h"
#include "tests/platform/host/SampleApp.h"
#include "tests/support/TempHome.h"

using namespace plat;

namespace {

std::string pressure(double some, double full = 0) {
  return "some avg10=" + std::to_string(some) + " avg60=1.00 avg300=0.50 total=123456\n" +
         "full avg10=" + std::to_string(full) + " avg60=0.00 avg300=0.00 total=654\n";
}

std::string meminfo(long totalKb, long availableKb) {
  return "MemTotal:       " + std::to_string(totalKb) + " kB\nMemFree:          12345 kB\n" +
         "MemAvailable:   " + std::to_string(availableKb) + " kB\nBuffers:   100 kB\n";
}

}  // namespace

TEST(MemoryPressure, LevelsFromStallsOrFromAvailableMemory) {
  using Level = MemoryPressureLevel;
  EXPECT_EQ(MemoryPressure::levelOf(pressure(0)), Level::Low);
  EXPECT_EQ(MemoryPressure::levelOf(pressure(5)), Level::Raised);
  EXPECT_EQ(MemoryPressure::levelOf(pressure(10)), Level::High);
  // Only the line of any task stalling counts, not the one of all of them stalling.
  EXPECT_EQ(MemoryPressure::levelOf(pressure(0.5, 40)), Level::Low);

  EXPECT_EQ(MemoryPressure::levelOf(meminfo(16'000'000, 8'000'000)), Level::Low);
  EXPECT_EQ(MemoryPressure::levelOf(meminfo(16'000'000, 1'200'000)), Level::Raised);
  EXPECT_EQ(MemoryPressure::levelOf(meminfo(16'000'000, 500'000)), Level::High);

  for (const std::string junk : {"", "some avg10=", "MemTotal: 0 kB\nMemAvailable: 0 kB\n",
                                 "\xff\xfe not a figure"}) {
    EXPECT_EQ(MemoryPressure::levelOf(junk), Level::Low) << junk;
  }
}

TEST(MemoryPressure, OneWarningPerEpisodeOnTheRunLoop) {
  testsupport::TempHome home;
  const std::string file = files::join(home.path(), "pressure");
  ASSERT_TRUE(files::writeFileAtomically(file, pressure(0)));
  auto app = std::make_shared<testsupport::SampleApp>();
  HeadlessHost host(app);
  host.launch();
  MemoryPressure watch(file);
  watch.start();
  auto warnings = [&] { return std::count(app->events.begin(), app->events.end(), "memory"); };

  host.advance(3);
  EXPECT_EQ(warnings(), 0);
  files::writeFileAtomically(file, pressure(35));
  host.advance(5);
  EXPECT_EQ(warnings(), 1) << "the episode began";
  // Figures hovering between the marks keep the episode going.
  files::writeFileAtomically(file, pressure(4));
  host.advance(3);
  files::writeFileAtomically(file, pressure(60));
  host.advance(3);
  EXPECT_EQ(warnings(), 1);
  // Eased, then pressed again: a new episode. A file gone counts as eased.
  files::remove(file);
  host.advance(2);
  EXPECT_FALSE(watch.inEpisode());
  files::writeFileAtomically(file, meminfo(8'000'000, 100'000));
  host.advance(2);
  EXPECT_EQ(warnings(), 2);

  watch.stop();
  files::writeFileAtomically(file, pressure(0));
  host.advance(2);
  files::writeFileAtomically(file, pressure(50));
  host.advance(5);
  EXPECT_EQ(warnings(), 2) << "stopped";
}

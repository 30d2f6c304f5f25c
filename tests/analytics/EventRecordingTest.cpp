#include <gtest/gtest.h>

#include <thread>

#include "tests/analytics/AnalyticsFixture.h"

namespace {

class AnalyticsEvents : public AnalyticsFixture {
 protected:
  void SetUp() override { start(); }
  const ANEkv& lastEkv() { return static_cast<const ANEkv&>(*core().ekv.back()); }
};

TEST_F(AnalyticsEvents, IdsAndDurationsWithinTheirLimits) {
  std::string threeBytes;
  for (int i = 0; i < 43; ++i) threeBytes += "词";
  Analytics::event(std::string(128, 'a'));
  Analytics::event(std::string(129, 'b'));
  Analytics::event(threeBytes);
  Analytics::event(" ");
  Analytics::event_durations("kept", 7199999);
  Analytics::event_durations("dropped", 7200000);
  Analytics::event_label_durations("zero", "l", 0);
  Analytics::event_label_durations("labelled", "l", 7199999);
  time_.runUntilIdle();
  EXPECT_EQ(eventIds(), (std::vector<std::string>{std::string(128, 'a'), "kept", "labelled"}));
}

TEST_F(AnalyticsEvents, AttributesAreLimitedCutAndChecked) {
  plat::Value twelve = plat::Value::dictionary();
  for (int i = 0; i < 12; ++i) twelve.set("k" + std::to_string(i), "v");
  Analytics::event_attributes("twelve", twelve);
  Analytics::event_attributes_counter("counted", twelve, 3);
  Analytics::event_attributes_counter("nothing", plat::Value(), 3);  // no attributes, no event
  Analytics::event_attributes("reserved", plat::Value::dictionary({{"ts", "1"}}));
  Analytics::event_attributes("long",
                              plat::Value::dictionary({{"v", std::string(300, 'x')}, {"n", 5}}));
  time_.runUntilIdle();
  ASSERT_EQ(core().ekv.size(), 3u);
  EXPECT_EQ(static_cast<const ANEkv&>(*core().ekv[0]).values.size(), 10u);
  const plat::Value& counted = static_cast<const ANEkv&>(*core().ekv[1]).values;
  EXPECT_EQ(counted.size(), 11u);
  EXPECT_EQ(counted["__ct__"].asString(), "3");
  EXPECT_EQ(lastEkv().values["v"].asString().size(), 256u);
  EXPECT_FALSE(lastEkv().values.has("n"));
}

TEST_F(AnalyticsEvents, PeriodLimitAndItsReset) {
  AnalyticsConfig::setConfigure(4990, "anPeriodEvtCount");
  for (int i = 0; i < 11; ++i) Analytics::event("e" + std::to_string(i));
  time_.runUntilIdle();
  EXPECT_EQ(core().events.size(), 10u);
  time_.advance(28801);
  AnalyticsConfig::setConfigure(time_.now(), "lastPostInterval");  // no upload is due
  Analytics::event("after");
  time_.runUntilIdle();
  ASSERT_EQ(core().events.size(), 11u);
  EXPECT_EQ(eventIds().back(), "after");
  EXPECT_EQ(AnalyticsConfig::configureWithKey("anPeriodEvtCount").asInt(), 0);
}

TEST_F(AnalyticsEvents, TimersAndPageViews) {
  Analytics::beginEvent_label("word", "x");
  time_.advance(1);
  Analytics::beginEvent_label("word", "x");
  time_.advance(2);
  Analytics::endEvent_label("word", "x");
  // Id and label are a pair: these two are different timers.
  Analytics::beginEvent_label("ab", "c");
  Analytics::endEvent_label("a", "bc");
  Analytics::beginEvent_primarykey("lesson", "unit1", plat::Value::dictionary({{"book", "cet4"}}));
  time_.advance(4);
  Analytics::endEvent_primarykey("lesson", "unit1");
  time_.runUntilIdle();
  ASSERT_EQ(core().events.size(), 1u);
  EXPECT_EQ(static_cast<const ANEvent&>(*core().events[0]).du, 2000);
  EXPECT_EQ((core().eventBeginTimes[{"word", "x"}].size()), 1u);
  EXPECT_EQ((core().eventBeginTimes[{"ab", "c"}].size()), 1u);
  ASSERT_EQ(core().ekv.size(), 1u);
  EXPECT_EQ(lastEkv().du, 4000);
  EXPECT_EQ(lastEkv().values["book"].asString(), "cet4");

  // A timer left open for a month (or across a clock set forward) is far over two hours.
  Analytics::beginEvent("forgotten");
  time_.advance(30 * 86400);
  AnalyticsConfig::setConfigure(time_.now(), "lastPostInterval");  // no upload is due
  Analytics::endEvent("forgotten");
  time_.runUntilIdle();
  EXPECT_EQ(core().events.size(), 1u);

  Analytics::beginLogPageView("short");
  Analytics::beginLogPageView("review");
  time_.advance(0.5);
  Analytics::endLogPageView("short");
  time_.advance(3);
  Analytics::endLogPageView("review");
  Analytics::logPageView("stats", 5);
  time_.runUntilIdle();
  EXPECT_EQ(core().pageItems,
            (std::vector<std::pair<std::string, int>>{{"review", 3}, {"stats", 5}}));
}

TEST_F(AnalyticsEvents, EventsFromAnyThreadArriveInOrderOnTheMainThread) {
  std::thread worker([] {
    for (int i = 0; i < 20; ++i) Analytics::event("w" + std::to_string(i));
  });
  worker.join();
  time_.runUntilIdle();
  ASSERT_EQ(core().events.size(), 20u);
  EXPECT_EQ(eventIds().back(), "w19");
}

}  // namespace

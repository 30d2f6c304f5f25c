#include <gtest/gtest.h>

#include <random>

#include "analytics/AnalyticsThrift.h"
#include "analytics/records/ThriftBytes.h"
#include "platform/base/Files.h"
#include "tests/analytics/AnalyticsFixture.h"

namespace {

class AnalyticsEntries : public AnalyticsFixture {
 protected:
  void SetUp() override { start(); }
  AT::UsageLogEntry build() {
    AT::UsageLogEntry entry;
    auto bytes = AnalyticsThrift::sharedInstance().toData();
    if (bytes) records::fromBytes(*bytes, entry);
    return entry;
  }
  void endSession() {
    time_.advance(90);
    Analytics::setBackgroundTaskEnabled(false);
    plat::NotificationCenter::defaultCenter().post(kAppWillResignActiveNotification);
    plat::NotificationCenter::defaultCenter().post(kAppDidBecomeActiveNotification);
    time_.runUntilIdle();
  }
};

TEST_F(AnalyticsEntries, EventsAreGroupedIntoMessagesPerSession) {
  Analytics::event_label("answered", "abandon");
  Analytics::event("answered");
  Analytics::event_attributes("lesson", plat::Value::dictionary({{"unit", "3"}}));
  time_.runUntilIdle();
  auto report = std::make_shared<ANError>();
  report->session_id = core().sessionID;
  report->context = "crash";
  core().errors.push_back(report);
  AT::UsageLogEntry entry = build();
  ASSERT_EQ(entry.instant_msgs.size(), 2u);
  EXPECT_EQ(entry.instant_msgs[0].events.size(), 2u);
  EXPECT_EQ(entry.instant_msgs[0].events[0].properties.at("answered").string_value, "abandon");
  // The key-value event joins the last message of its session, the error's.
  EXPECT_EQ(entry.instant_msgs[1].errors.size(), 1u);
  ASSERT_EQ(entry.instant_msgs[1].events.size(), 1u);
  EXPECT_EQ(entry.instant_msgs[1].events[0].properties.at("unit").string_value, "3");
  EXPECT_EQ(entry.app_info.key, "4f5a6b7c8d9e0f1a2b3c4d5e");
  EXPECT_EQ(entry.device_info.resolution.height, 1136);
}

TEST_F(AnalyticsEntries, SessionsTimesAndBackOffLevels) {
  Analytics::event("answered");
  time_.runUntilIdle();
  endSession();
  auto session = std::static_pointer_cast<ANTerminate>(core().terminates.at(0));
  session->ts = 1.5;
  session->duration = 0.75;
  AT::UsageLogEntry entry = build();
  ASSERT_EQ(entry.sessions.size(), 1u);
  EXPECT_EQ(entry.sessions[0].end_time, 1500);
  EXPECT_EQ(entry.sessions[0].start_time, 750);
  EXPECT_EQ(entry.sessions[0].duration, 750);

  AnalyticsJob::sharedInstance().setDefcon(2);
  entry = build();
  EXPECT_FALSE(entry.__isset.instant_msgs);
  ASSERT_EQ(entry.sessions.size(), 1u);
  EXPECT_EQ(entry.sessions[0].duration, 60000);  // a placeholder session

  AnalyticsJob::sharedInstance().setDefcon(3);
  entry = build();
  EXPECT_TRUE(entry.sessions.empty() && entry.__isset.sessions);
  EXPECT_FALSE(entry.__isset.instant_msgs);
  EXPECT_TRUE(core().terminates.empty() && core().events.empty());
}

TEST_F(AnalyticsEntries, ActivationOnceAndIdentifierTracking) {
  ASSERT_TRUE(core().generateEnvelopeFile());
  EXPECT_TRUE(AnalyticsConfig::hasKey("anActivateMsg"));
  AT::UsageLogEntry entry = build();
  EXPECT_FALSE(entry.__isset.activate_msg);
  EXPECT_EQ(entry.id_tracking.snapshots.size(), 3u);
  EXPECT_EQ(entry.id_tracking.journals.size(), 3u);

  // Next launch: a changed vendor identifier is journalled; all zeros counts as missing.
  device_->vendorId = "00000000-0000-0000-0000-000000000000";
  relaunch();
  start();
  entry = build();
  EXPECT_FALSE(entry.__isset.activate_msg);
  EXPECT_TRUE(entry.id_tracking.journals.empty());
  device_->vendorId = "11111111-2222-3333-4444-555555555555";
  relaunch();
  start();
  entry = build();
  ASSERT_EQ(entry.id_tracking.journals.size(), 1u);
  EXPECT_EQ(entry.id_tracking.journals[0].domain, "idfv");
  EXPECT_EQ(entry.id_tracking.journals[0].new_id, "11111111-2222-3333-4444-555555555555");
  EXPECT_EQ(entry.id_tracking.snapshots.at("idfv").version, 2);
  EXPECT_EQ(AnalyticsConfig::configureWithKey("anidfvVersionNum").asInt(), 2);
}

TEST_F(AnalyticsEntries, OversizedEntriesAreDroppedNotSent) {
  auto addEvent = [this](std::string label) {
    auto event = std::make_shared<ANEvent>();
    event->event_id = "big";
    event->label = std::move(label);
    core().events.push_back(event);
  };
  for (int i = 0; i < 5; ++i) addEvent(std::string(1 << 20, 'x'));
  EXPECT_FALSE(AnalyticsThrift::sharedInstance().toData());
  EXPECT_TRUE(core().events.empty());

  std::mt19937 random(7);
  std::string noise(300 * 1024, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  addEvent(noise);
  EXPECT_FALSE(AnalyticsThrift::sharedInstance().entityData());
  EXPECT_TRUE(core().events.empty());
}

}  // namespace

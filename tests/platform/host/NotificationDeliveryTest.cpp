// Notifications falling due while the program runs: a wall-clock date fires at that time of the
// device's zone; due ones leave the schedule and are shown, or go to an active application.
#include <gtest/gtest.h>

#include "platform/host/HeadlessHost.h"
#include "platform/host/NotificationDelivery.h"

using namespace plat;

namespace {

class Listening : public ApplicationDelegate {
 public:
  std::vector<std::string> received;
  void didReceiveLocalNotification(Application&, const LocalNotification& n) override {
    received.push_back(n.alertBody);
  }
};

LocalNotification at(double fireDate, const std::string& body, const std::string& zone = "GMT") {
  LocalNotification n;
  n.fireDate = fireDate;
  n.timeZoneName = zone;
  n.alertBody = body;
  return n;
}

}  // namespace

TEST(NotificationDelivery, DueNotificationsAreShownOnceAtTheirWallClockTime) {
  auto app = std::make_shared<Listening>();
  HeadlessHost host(app);
  host.clock()->setZone(TimeZone::fixed(8 * 3600));
  host.launch();
  const double now = host.clock()->now();
  // 12:00 wall-clock time read as GMT fires at 12:00 in UTC+8, which is 04:00 UTC.
  EXPECT_DOUBLE_EQ(NotificationDelivery::fireTime(at(1'700'049'600, "")), 1'700'049'600 - 8 * 3600);
  EXPECT_DOUBLE_EQ(NotificationDelivery::fireTime(at(now, "", "")), now);

  std::vector<std::string> shown;
  NotificationDelivery delivery([&](const LocalNotification& n) { shown.push_back(n.alertBody); });
  Application& application = Application::shared();
  application.scheduleLocalNotification(at(now + 8 * 3600 + 60, "a minute from now"));
  application.scheduleLocalNotification(at(now + 8 * 3600 + 3600, "in an hour"));
  host.resignActive();
  EXPECT_EQ(delivery.deliverDue(), 0);
  host.advance(61);
  EXPECT_EQ(delivery.deliverDue(), 1);
  EXPECT_EQ(delivery.deliverDue(), 0) << "taken off the schedule";
  EXPECT_EQ(shown, (std::vector<std::string>{"a minute from now"}));

  host.becomeActive();
  host.advance(3600);
  EXPECT_EQ(delivery.deliverDue(), 1);
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_EQ(app->received, (std::vector<std::string>{"in an hour"})) << "the active app hears it";
}

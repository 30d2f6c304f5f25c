// Local notifications that fall due while the program runs: taken off the schedule and shown on
// the desktop (through notify-send when a session bus is there, else printed), or handed to the
// application delegate when the application is active, as the phone does.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/view/Application.h"

namespace plat {

class NotificationDelivery {
 public:
  using Show = std::function<void(const LocalNotification&)>;

  explicit NotificationDelivery(Show show = showOnDesktop);
  ~NotificationDelivery();
  NotificationDelivery(const NotificationDelivery&) = delete;
  NotificationDelivery& operator=(const NotificationDelivery&) = delete;

  // Delivers every scheduled notification whose time has come; returns how many.
  int deliverDue();

  // The Unix time a notification fires at: a date with a zone name is a wall-clock time read in
  // that zone, which fires at the same wall-clock time of the device's zone.
  static double fireTime(const LocalNotification& notification);

  // The desktop's notification service, or a line on standard output.
  static void showOnDesktop(const LocalNotification& notification);
  // The title the desktop shows above a notification: the application's display name.
  static std::string title();

 private:
  Show show_;
};

}  // namespace plat

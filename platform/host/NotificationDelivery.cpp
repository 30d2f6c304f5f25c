#include "platform/host/NotificationDelivery.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/base/Bundle.h"
#include "platform/base/Clock.h"
#include "platform/host/ChildProgram.h"

namespace plat {
namespace {

// notify-send is the desktop's own client of its notification service.
bool sendToDesktop(const std::string& title, const std::string& body) {
  const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (!bus || !*bus) return false;
  return runChildProgram({"notify-send", "--", title, body}) == 0;
}

}  // namespace

NotificationDelivery::NotificationDelivery(Show show) : show_(std::move(show)) {}

NotificationDelivery::~NotificationDelivery() = default;

double NotificationDelivery::fireTime(const LocalNotification& notification) {
  if (notification.timeZoneName.empty()) return notification.fireDate;
  const double wallClock =
      notification.fireDate +
      TimeZone::named(notification.timeZoneName)->offsetAt(notification.fireDate);
  const Clock& clock = Clock::current();
  // The device's offset at the moment itself, found from its offset near that wall-clock time.
  const double guess = wallClock - clock.localOffsetAt(wallClock);
  return wallClock - clock.localOffsetAt(guess);
}

int NotificationDelivery::deliverDue() {
  Application& application = Application::shared();
  const double now = Clock::current().now();
  int delivered = 0;
  for (const LocalNotification& notification : application.scheduledLocalNotifications()) {
    if (fireTime(notification) > now) continue;
    application.cancelLocalNotification(notification);
    if (application.state() == ApplicationState::Active) {
      application.presentLocalNotificationNow(notification);
    } else if (show_) {
      show_(notification);
    }
    ++delivered;
  }
  return delivered;
}

std::string NotificationDelivery::title() {
  std::string title = Bundle::main().infoValue("CFBundleDisplayName");
  return title.empty() ? "vocab" : title;
}

void NotificationDelivery::showOnDesktop(const LocalNotification& notification) {
  if (sendToDesktop(title(), notification.alertBody)) return;
  std::printf("notification: %s\n", notification.alertBody.c_str());
  std::fflush(stdout);
}

}  // namespace plat

#include "platform/host/NotificationDelivery.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/base/Bundle.h"
#include "platform/base/Clock.h"

extern char** environ;

namespace plat {
namespace {

// notify-send is the desktop's own client of its notification service.
bool sendToDesktop(const std::string& title, const std::string& body) {
  const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (!bus || !*bus) return false;
  std::vector<std::string> args = {"notify-send", "--", title, body};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawnp(&child, "notify-send", nullptr, nullptr, argv.data(), environ) != 0) {
    return false;
  }
  int status = 0;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
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

void NotificationDelivery::showOnDesktop(const LocalNotification& notification) {
  std::string title = Bundle::main().infoValue("CFBundleDisplayName");
  if (title.empty()) title = "vocab";
  if (sendToDesktop(title, notification.alertBody)) return;
  std::printf("notification: %s\n", notification.alertBody.c_str());
  std::fflush(stdout);
}

}  // namespace plat

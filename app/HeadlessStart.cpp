#include "app/HeadlessStart.h"

#include <cstdio>

#include "platform/base/AppHome.h"
#include "platform/base/Clock.h"
#include "platform/base/Files.h"
#include "platform/host/HeadlessHost.h"

namespace HeadlessStart {

int run(std::shared_ptr<plat::ApplicationDelegate> delegate) {
  // Time stands at the moment of the start, so that launching settles however slow the machine
  // is (with time running, timers could keep falling due while the launch works through them).
  plat::HeadlessHost::Options options;
  options.startTime = plat::RealClock().now();
  plat::HeadlessHost host(std::move(delegate), options);
  host.launch();
  const std::string path = plat::files::join(plat::AppHome::home(), kPictureName);
  const bool written = host.writeScreen(path);
  host.enterBackground();
  host.terminate();
  if (!written) {
    std::fprintf(stderr, "vocab: the first screen could not be written to %s\n", path.c_str());
    return 1;
  }
  std::printf("first screen: %s\n", path.c_str());
  std::printf(
      "The window needs a display (DISPLAY or WAYLAND_DISPLAY); without one the first "
      "screen was drawn into that picture.\n");
  return 0;
}

}  // namespace HeadlessStart

#include "tests/app/MappedWindows.h"

#include <X11/Xlib.h>

#include <algorithm>

namespace apptest {

MappedWindows::MappedWindows(const std::string& display)
    : connection_(XOpenDisplay(display.c_str())) {
  if (!connection_) return;
  XSelectInput(connection_, DefaultRootWindow(connection_), SubstructureNotifyMask);
  XSync(connection_, False);  // selected before the caller goes on
}

MappedWindows::~MappedWindows() {
  if (connection_) XCloseDisplay(connection_);
}

std::vector<unsigned long> MappedWindows::seen() {
  if (!connection_) return seen_;
  XSync(connection_, False);  // everything the server did until now is in the queue
  while (XPending(connection_) > 0) {
    XEvent event;
    XNextEvent(connection_, &event);
    if (event.type != MapNotify) continue;
    const unsigned long window = event.xmap.window;
    if (std::find(seen_.begin(), seen_.end(), window) == seen_.end()) seen_.push_back(window);
  }
  return seen_;
}

}  // namespace apptest

#include "platform/host/DesktopSelection.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <thread>

#include "platform/base/RunLoop.h"

// Last: Xlib's names (None, Bool, Status) are macros.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace plat {
namespace {

// The longest text taken in one piece, in 32-bit units as Xlib counts them (4 MB). A longer one
// the owner hands over in increments, which a paste here does not take.
constexpr long kMostUnits = 1L << 20;

// On its own connection: asks the owner for the selection as UTF-8 and waits for the answer.
std::string readSelection(DesktopSelection::Kind kind) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return "";
  const Window requestor =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  const Atom selection = kind == DesktopSelection::Kind::Primary
                             ? XA_PRIMARY
                             : XInternAtom(display, "CLIPBOARD", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  const Atom property = XInternAtom(display, "VOCAB_SELECTION", False);
  XConvertSelection(display, selection, utf8, property, requestor, CurrentTime);
  XFlush(display);

  std::string text;
  using Steady = std::chrono::steady_clock;
  const auto until =
      Steady::now() + std::chrono::duration<double>(DesktopSelection::kPatienceSeconds);
  bool answered = false;
  while (!answered && Steady::now() < until) {
    while (!answered && XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type != SelectionNotify || event.xselection.requestor != requestor) continue;
      answered = true;
      if (event.xselection.property == None) break;  // no owner, or it refused
      Atom type = None;
      int format = 0;
      unsigned long count = 0, left = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(display, requestor, property, 0, kMostUnits, True, AnyPropertyType,
                             &type, &format, &count, &left, &data) == Success &&
          data && format == 8 && (type == utf8 || type == XA_STRING))
        text.assign(reinterpret_cast<const char*>(data), count);
      if (data) XFree(data);
    }
    if (answered) break;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Steady::now());
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    ::poll(&connection, 1, static_cast<int>(std::max<long long>(1, left.count())));
  }
  XDestroyWindow(display, requestor);
  XCloseDisplay(display);
  return text;
}

}  // namespace

bool DesktopSelection::read(Kind kind, std::function<void(const std::string&)> done) {
  const char* x11 = std::getenv("DISPLAY");
  if (!x11 || !*x11) return false;
  // The thread keeps what it needs; the main loop outlives every thread that posts to it.
  std::thread([kind, done = std::move(done)]() mutable {
    std::string text = readSelection(kind);
    RunLoop::main().perform([text = std::move(text), done = std::move(done)] { done(text); });
  }).detach();
  return true;
}

}  // namespace plat

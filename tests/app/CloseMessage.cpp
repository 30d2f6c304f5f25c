#include "tests/app/CloseMessage.h"

#include <X11/Xlib.h>

namespace apptest {
namespace {

// An error of the display (a window gone already) ends the process by default; it is noted here.
bool displayFailed = false;

int noteError(Display*, XErrorEvent*) {
  displayFailed = true;
  return 0;
}

}  // namespace

bool sendCloseMessage(const std::string& display, unsigned long window) {
  Display* connection = XOpenDisplay(display.c_str());
  if (!connection) return false;
  displayFailed = false;
  const XErrorHandler previous = XSetErrorHandler(noteError);
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = window;
  close.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(XInternAtom(connection, "WM_DELETE_WINDOW", False));
  close.xclient.data.l[1] = CurrentTime;
  const bool sent = XSendEvent(connection, window, False, NoEventMask, &close) != 0;
  XSync(connection, False);  // the error, if any, comes back before the handler goes
  XSetErrorHandler(previous);
  XCloseDisplay(connection);
  return sent && !displayFailed;
}

}  // namespace apptest

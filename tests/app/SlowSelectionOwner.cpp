#include "tests/app/SlowSelectionOwner.h"

#include <poll.h>

#include <utility>

#include <X11/Xatom.h>

namespace apptest {
namespace {

// A reader that gave up before the answer has closed its window: the answer to it then fails,
// which is no fault of the test (Xlib's own handler would end the test program).
int ignoreError(Display*, XErrorEvent*) {
  return 0;
}

}  // namespace

SlowSelectionOwner::SlowSelectionOwner(const std::string& display, const std::string& selection,
                                       std::string text, std::chrono::milliseconds delay)
    : display_(XOpenDisplay(display.c_str())), text_(std::move(text)), delay_(delay) {
  if (!display_) return;
  formerHandler_ = XSetErrorHandler(ignoreError);
  window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
  const Atom atom = XInternAtom(display_, selection.c_str(), False);
  XSetSelectionOwner(display_, atom, window_, CurrentTime);
  XSync(display_, False);
  owns_ = XGetSelectionOwner(display_, atom) == window_;
  serving_ = std::thread([this] { serve(); });
}

SlowSelectionOwner::~SlowSelectionOwner() {
  stop_ = true;
  if (serving_.joinable()) serving_.join();
  if (display_) {
    XCloseDisplay(display_);
    XSetErrorHandler(formerHandler_);
  }
}

void SlowSelectionOwner::serve() {
  while (!stop_) {
    while (XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      if (event.type != SelectionRequest) continue;
      ++asked_;
      const auto due = std::chrono::steady_clock::now() + delay_;
      while (!stop_ && !released_ && std::chrono::steady_clock::now() < due)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      answer(event.xselectionrequest);
    }
    pollfd connection{ConnectionNumber(display_), POLLIN, 0};
    ::poll(&connection, 1, 50);
  }
}

void SlowSelectionOwner::answer(const XSelectionRequestEvent& request) {
  const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.time = request.time;
  reply.xselection.property = None;
  if (request.target == utf8 && request.property != None) {
    XChangeProperty(display_, request.requestor, request.property, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text_.data()),
                    static_cast<int>(text_.size()));
    reply.xselection.property = request.property;
  }
  XSendEvent(display_, request.requestor, False, 0, &reply);
  XFlush(display_);
  ++answered_;
}

}  // namespace apptest

#include "platform/host/DesktopSelection.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/base/RunLoop.h"

// Last: Xlib's names (None, Bool, Status) are macros.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace plat {
namespace {

using Steady = std::chrono::steady_clock;

// One read, on a connection of its own with a window of its own for the owner's answer.
struct Request {
  Display* display = nullptr;
  Window requestor = 0;
  Atom property = None;
  Atom utf8 = None;
  Atom incremental = None;  // the type of an answer that comes in pieces

  explicit Request(Display* d)
      : display(d),
        requestor(XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0)),
        property(XInternAtom(d, "VOCAB_SELECTION", False)),
        utf8(XInternAtom(d, "UTF8_STRING", False)),
        incremental(XInternAtom(d, "INCR", False)) {
    // The owner of a long text puts each piece in the property once we took the one before.
    XSelectInput(d, requestor, PropertyChangeMask);
  }
  ~Request() {
    XDestroyWindow(display, requestor);
    XCloseDisplay(display);
  }
  Request(const Request&) = delete;
  Request& operator=(const Request&) = delete;

  bool answered(const XEvent& event) const {
    return event.type == SelectionNotify && event.xselection.requestor == requestor;
  }
  bool pieceCame(const XEvent& event) const {
    return event.type == PropertyNotify && event.xproperty.window == requestor &&
           event.xproperty.atom == property && event.xproperty.state == PropertyNewValue;
  }

  // Waits for an event that `wanted` takes, as long as the owner may take; false when none came.
  template <typename Wanted>
  bool await(XEvent& event, Wanted wanted) {
    const auto until =
        Steady::now() + std::chrono::duration<double>(DesktopSelection::kPatienceSeconds);
    while (true) {
      while (XPending(display) > 0) {
        XNextEvent(display, &event);
        if (wanted(event)) return true;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(until - Steady::now());
      if (left.count() <= 0) return false;
      pollfd connection{ConnectionNumber(display), POLLIN, 0};
      ::poll(&connection, 1, static_cast<int>(std::max<long long>(1, left.count())));
    }
  }

  // What the property holds, taken off the window (which tells an owner handing over pieces to
  // put the next). At most `room` bytes and a few more are read: `bytes` longer than `room` says
  // there was more.
  struct Piece {
    Atom type = None;
    int format = 0;
    std::string bytes;
  };
  Piece take(size_t room) {
    Piece piece;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    // Xlib counts the length in 32-bit units: one more than `room` fills, so a longer value shows.
    const long units = static_cast<long>(room / 4 + 1);
    if (XGetWindowProperty(display, requestor, property, 0, units, True, AnyPropertyType,
                           &piece.type, &piece.format, &count, &left, &data) == Success &&
        data && piece.format == 8)
      piece.bytes.assign(reinterpret_cast<const char*>(data), count);
    if (data) XFree(data);
    return piece;
  }
  bool isText(const Piece& piece) const {
    return piece.format == 8 && (piece.type == utf8 || piece.type == XA_STRING);
  }
};

// Asks the owner for the selection as UTF-8 and takes its answer, whole or in pieces, reading no
// more than `most` bytes and a few.
std::string readSelection(DesktopSelection::Kind kind, size_t most) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return "";
  Request request(display);
  const Atom selection = kind == DesktopSelection::Kind::Primary
                             ? XA_PRIMARY
                             : XInternAtom(display, "CLIPBOARD", False);
  XConvertSelection(display, selection, request.utf8, request.property, request.requestor,
                    CurrentTime);
  XFlush(display);

  XEvent event;
  if (!request.await(event, [&](const XEvent& e) { return request.answered(e); })) return "";
  if (event.xselection.property == None) return "";  // no owner, or it refused
  Request::Piece first = request.take(most);
  if (first.type != request.incremental) return request.isText(first) ? first.bytes : "";

  // Taking the first answer asked for the first piece; an empty piece ends the text. A text
  // that stops halfway is no text at all.
  std::string text;
  while (text.size() <= most) {
    if (!request.await(event, [&](const XEvent& e) { return request.pieceCame(e); })) return "";
    Request::Piece piece = request.take(most - text.size());
    if (!request.isText(piece)) return "";
    if (piece.bytes.empty()) break;
    text += piece.bytes;
  }
  return text;
}

}  // namespace

bool DesktopSelection::read(Kind kind, size_t most, std::function<void(const std::string&)> done) {
  const char* x11 = std::getenv("DISPLAY");
  if (!x11 || !*x11) return false;
  // The thread keeps what it needs; the main loop outlives every thread that posts to it.
  std::thread([kind, most, done = std::move(done)]() mutable {
    std::string text = readSelection(kind, most);
    RunLoop::main().perform([text = std::move(text), done = std::move(done)] { done(text); });
  }).detach();
  return true;
}

}  // namespace plat

// Reports bound for the main thread, delivered in the order they were made. One perform carries
// all that gathered before the main thread got to it. A report that may wait (a start, headers,
// progress) does not wake a sleeping main thread at once when it comes from the network thread:
// it waits until a report that must not wait (the end, body data, a question to the owner) wakes
// it, or at most a millisecond. So a short request costs the main thread one wake-up.
#pragma once

#include <functional>

namespace plat {
class RunLoop;
}

namespace HttpMainThreadMailbox {

enum class Urgency { WakeNow, MayWait };

// From any thread; on the main thread the task runs on a later turn of its loop.
void post(std::function<void()> task, Urgency urgency);

// A piece of a request's work on its working thread (a stream event, a start, a cancel). Reports
// that must not wait wake the main thread when the outermost piece ends rather than when they
// are made: by then the working thread has let go of the locks that the reports take.
class Turn {
 public:
  Turn();
  ~Turn();
  Turn(const Turn&) = delete;
  Turn& operator=(const Turn&) = delete;
};

// The network thread, whose loop keeps the time limit of reports that wait; called on it once.
void setNetworkLoop(plat::RunLoop& loop);

}  // namespace HttpMainThreadMailbox

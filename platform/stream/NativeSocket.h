// A native socket on the run loop: a descriptor that listens for connections (accept callback),
// connects without blocking (connect callback) or only wraps a stream's descriptor (no
// callbacks). Its callbacks run on the run loop it is scheduled on.
#pragma once

#include <sys/socket.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/RunLoop.h"
#include "platform/stream/FdSources.h"

namespace plat::stream {

class NativeSocket : public std::enable_shared_from_this<NativeSocket> {
 public:
  enum CallbackType { kNoCallBack = 0, kAcceptCallBack = 2, kConnectCallBack = 4 };
  // Accept: the new descriptor; connect: 0 on success, else the errno value.
  using Callback = std::function<void(CallbackType type, NativeSocket& socket, int value)>;

  // A new non-blocking stream socket of `family`; null when the system refuses one.
  static std::shared_ptr<NativeSocket> create(int family, CallbackType type, Callback callback);
  // Wraps a descriptor without callbacks; the descriptor is not closed by invalidate().
  static std::shared_ptr<NativeSocket> wrap(int fd);
  ~NativeSocket();

  int native() const { return fd_; }
  // Invalidating then leaves the descriptor open.
  void keepDescriptorOnInvalidate() { closesOnInvalidate_ = false; }
  void invalidate();

  // The run-loop source of the socket, in one mode at a time.
  void schedule(RunLoop& loop, const std::string& mode);
  void unschedule(const std::string& mode);

  bool bind(const std::vector<uint8_t>& address);
  bool listen();
  // Starts a non-blocking connect; the result arrives through the connect callback.
  bool connect(const std::vector<uint8_t>& address);

  std::optional<std::vector<uint8_t>> copyAddress() const;
  std::optional<std::vector<uint8_t>> copyPeerAddress() const;

 private:
  NativeSocket(int fd, CallbackType type, Callback callback);
  void onEvent();
  unsigned wantedEvents() const;

  int fd_;
  CallbackType type_;
  Callback callback_;
  bool closesOnInvalidate_;
  bool connecting_ = false;
  FdSources sources_;
};

// The address of a descriptor's own end or of its peer (getsockname / getpeername).
std::optional<std::vector<uint8_t>> socketAddress(int fd, bool peer);

}  // namespace plat::stream

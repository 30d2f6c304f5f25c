#include "platform/stream/NativeSocket.h"

#include <netinet/in.h>
#include <unistd.h>

#include <cerrno>

#include "platform/stream/Connection.h"

namespace plat::stream {

std::optional<std::vector<uint8_t>> socketAddress(int fd, bool peer) {
  if (fd <= 0) return std::nullopt;
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  auto* address = reinterpret_cast<sockaddr*>(&storage);
  if ((peer ? getpeername(fd, address, &length) : getsockname(fd, address, &length)) != 0)
    return std::nullopt;
  auto* bytes = reinterpret_cast<const uint8_t*>(&storage);
  return std::vector<uint8_t>(bytes, bytes + length);
}

NativeSocket::NativeSocket(int fd, CallbackType type, Callback callback)
    : fd_(fd),
      type_(type),
      callback_(std::move(callback)),
      closesOnInvalidate_(type != kNoCallBack) {}

NativeSocket::~NativeSocket() {
  invalidate();
}

std::shared_ptr<NativeSocket> NativeSocket::create(int family, CallbackType type,
                                                   Callback callback) {
  int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) return nullptr;
  return std::shared_ptr<NativeSocket>(new NativeSocket(fd, type, std::move(callback)));
}

std::shared_ptr<NativeSocket> NativeSocket::wrap(int fd) {
  if (fd < 0) return nullptr;
  return std::shared_ptr<NativeSocket>(new NativeSocket(fd, kNoCallBack, nullptr));
}

void NativeSocket::invalidate() {
  sources_.watch(-1, 0);
  sources_.clear();
  callback_ = nullptr;
  if (fd_ >= 0 && closesOnInvalidate_) ::close(fd_);
  fd_ = -1;
}

unsigned NativeSocket::wantedEvents() const {
  if (type_ == kAcceptCallBack) return kFdReadable;
  if (type_ == kConnectCallBack && connecting_) return kFdWritable;
  return 0;
}

void NativeSocket::schedule(RunLoop& loop, const std::string& mode) {
  if (fd_ < 0) return;
  if (sources_.empty()) {
    std::weak_ptr<NativeSocket> weak = weak_from_this();
    sources_.setHandler([weak] {
      if (auto self = weak.lock()) self->onEvent();
    });
  }
  sources_.watch(fd_, wantedEvents());
  sources_.schedule(loop, mode);
}

void NativeSocket::unschedule(const std::string& mode) {
  sources_.unschedule(mode);
}

bool NativeSocket::bind(const std::vector<uint8_t>& address) {
  return ::bind(fd_, reinterpret_cast<const sockaddr*>(address.data()),
                static_cast<socklen_t>(address.size())) == 0;
}

bool NativeSocket::listen() {
  return ::listen(fd_, SOMAXCONN) == 0;
}

bool NativeSocket::connect(const std::vector<uint8_t>& address) {
  int rc = ::connect(fd_, reinterpret_cast<const sockaddr*>(address.data()),
                     static_cast<socklen_t>(address.size()));
  if (rc != 0 && errno != EINPROGRESS) return false;
  connecting_ = true;
  sources_.watch(fd_, wantedEvents());  // sources made before the connect now wait for its result
  return true;
}

std::optional<std::vector<uint8_t>> NativeSocket::copyAddress() const {
  return socketAddress(fd_, false);
}

std::optional<std::vector<uint8_t>> NativeSocket::copyPeerAddress() const {
  return socketAddress(fd_, true);
}

void NativeSocket::onEvent() {
  auto keep = shared_from_this();
  if (type_ == kAcceptCallBack) {
    while (fd_ >= 0 && callback_) {
      int client = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (client < 0) return;
      Callback callback = callback_;
      callback(kAcceptCallBack, *this, client);
    }
    return;
  }
  if (type_ != kConnectCallBack || !connecting_) return;
  connecting_ = false;
  int err = connectOutcome(fd_).code;
  sources_.watch(fd_, 0);
  if (Callback callback = callback_) callback(kConnectCallBack, *this, err);
}

}  // namespace plat::stream

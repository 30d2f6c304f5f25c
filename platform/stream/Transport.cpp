#include "platform/stream/Transport.h"

#include <openssl/ssl.h>

#include <csignal>
#include <mutex>

#include "platform/base/ThreadState.h"

namespace plat::stream {

void prepareTransport() {
  static std::once_flag once;
  std::call_once(once, [] {
    // TLS writes go through write(2), which would raise SIGPIPE on a closed socket.
    std::signal(SIGPIPE, SIG_IGN);
    OPENSSL_init_ssl(0, nullptr);
    // A thread of ours that goes idle or ends frees OpenSSL's state of it (its error queue).
    threadState::addRelease(&OPENSSL_thread_stop);
  });
}

}  // namespace plat::stream

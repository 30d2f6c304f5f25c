#include "platform/stream/Transport.h"

#include <openssl/ssl.h>

#include <csignal>
#include <mutex>

namespace plat::stream {

void prepareTransport() {
  static std::once_flag once;
  std::call_once(once, [] {
    // TLS writes go through write(2), which would raise SIGPIPE on a closed socket.
    std::signal(SIGPIPE, SIG_IGN);
    OPENSSL_init_ssl(0, nullptr);
  });
}

}  // namespace plat::stream

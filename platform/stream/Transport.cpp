#include "platform/stream/Transport.h"

#include <openssl/ssl.h>

#include <csignal>
#include <mutex>

#include "platform/base/ThreadState.h"
#include "platform/crypto/CryptoLibrary.h"

namespace plat::stream {

void prepareTransport() {
  static std::once_flag once;
  std::call_once(once, [] {
    // TLS writes go through write(2), which would raise SIGPIPE on a closed socket.
    std::signal(SIGPIPE, SIG_IGN);
    // Kept until the process ends, as libcrypto is: connections may still be open, and the
    // network thread still opening them, while the process exits.
    crypto::prepareLibrary();
    OPENSSL_init_ssl(OPENSSL_INIT_NO_ATEXIT, nullptr);
    // A thread of ours that goes idle or ends frees OpenSSL's state of it (its error queue).
    threadState::addRelease(&OPENSSL_thread_stop);
  });
}

}  // namespace plat::stream

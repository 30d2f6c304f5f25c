// What socket streams need once per process: the TLS library set up for the whole process (see
// platform/crypto/CryptoLibrary.h: it is never torn down, so streams still running at exit keep
// it), and writes to closed sockets reported as errors rather than raising SIGPIPE. Connections
// do this themselves on first use.
#pragma once

namespace plat::stream {

void prepareTransport();

}  // namespace plat::stream

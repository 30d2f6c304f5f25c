// What socket streams need once per process: the TLS library set up, and writes to closed sockets
// reported as errors rather than raising SIGPIPE. Connections do this themselves on first use;
// code that registers exit handlers which still run streams calls it first, so the TLS library is
// torn down after them.
#pragma once

namespace plat::stream {

void prepareTransport();

}  // namespace plat::stream

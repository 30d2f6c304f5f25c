// OpenSSL's state, kept for the whole process. It is set up once, before main and so before any
// thread of ours starts, and never cleaned up: threads that may still run while the process exits
// (the backup's, the network thread, the analytics queues, a reminder's or a word list's) digest,
// draw random bytes and hold secure connections, and OpenSSL's own clean-up at exit would free
// what they use under them. The operating system takes it back when the process ends.
//
// Every function of ours that calls OpenSSL calls prepareLibrary() first. That also puts this
// file in every program that uses OpenSSL through us, and its start-up runs it ahead of the
// program's own static objects: OpenSSL keeps what its first set-up chose, clean-up or not.
#pragma once

namespace plat::crypto {

// Cheap after the first call; any thread may call it.
void prepareLibrary();

}  // namespace plat::crypto

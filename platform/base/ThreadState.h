// What libraries keep for each thread that uses them (OpenSSL's error queue, say), freed by our
// threads when they go idle and when they end. A thread still running as the process exits (an
// operation queue's worker waiting for more work) must hold none of it by then: a library that
// cleans up at exit forgets its threads' state, and what a thread ending afterwards still held is
// lost.
#pragma once

namespace plat::threadState {

// Adds the release of a library's state of the calling thread; a release added twice runs once.
void addRelease(void (*release)());
// On the calling thread: frees what the libraries keep for it (made again on its next use).
void release();

}  // namespace plat::threadState

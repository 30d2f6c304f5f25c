// A study database for benchmarks: a fresh app home (removed at exit) whose store holds extra
// planned headwords, and the shared step that makes them all due.
#pragma once

#include <string>

class CallDB;

namespace bench {

// The store of a new temporary app home with `count` extra headwords "<prefix>00000"... (ids from
// `firstId`), all planned ten days ago, and a review cap large enough for all of them. Made once
// per process; later calls return the same store. Exits with a message when the bundle has no
// learn.db or the store does not open.
CallDB* storeWithPlannedWords(int count, const std::string& prefix, int firstId);

// Every planned word answered two days ago and due at a scattered time before now.
void makeAllDue(CallDB* db);

}  // namespace bench

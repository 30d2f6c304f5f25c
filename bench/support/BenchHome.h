// The benchmarks' app home: a temporary folder, so that a run neither reads nor changes a
// learner's data.
#pragma once

#include <string>

namespace bench {

// Makes a new temporary app home with its folders and points the app at it, once per process;
// the folder is removed at exit. Later calls return the same path.
const std::string& temporaryHome();

}  // namespace bench

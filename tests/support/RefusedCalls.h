// The kernel refusing chosen file-system calls with a chosen error, as a file system that lacks
// them answers (some network and FUSE ones have no no-replace rename, no hard links): a seccomp
// filter, so the code under test makes its real calls and gets the kernel's own answer. A filter
// cannot be lifted: runRefusing puts it on a thread of its own, which the rest of the test
// program never runs on; a launcher (tests/support/tools) puts it on a whole program.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

enum class RefusedCall {
  renameNoReplace,  // renameat2 with RENAME_NOREPLACE
  link,             // link and linkat
  exclusiveCreate,  // open and openat with O_EXCL
  renameOver,       // rename, renameat, and renameat2 without RENAME_NOREPLACE
};

struct Refusal {
  RefusedCall call;
  int error;  // errno, as EINVAL
};

// Runs `work` on a new thread on which, and on the threads it starts, the kernel refuses
// `refusals`; returns once it has run. "" then, else why the kernel could not be made to refuse
// (for GTEST_SKIP), and `work` did not run.
std::string runRefusing(const std::vector<Refusal>& refusals, const std::function<void()>& work);

// Puts the refusals on the calling thread for good, kept across an exec; "" or why not.
std::string refuseOnThisThread(const std::vector<Refusal>& refusals);

// "renameNoReplace=EINVAL" and the like, as the launcher takes them; false for a word it does
// not know.
bool parseRefusal(const std::string& text, Refusal& refusal);
std::string describe(const Refusal& refusal);

}  // namespace testsupport

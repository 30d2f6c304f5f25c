// refuse-calls CALL=ERROR... -- PROGRAM ARGUMENT...
// Starts the program with the kernel refusing the calls named (tests/support/RefusedCalls.h), as
// a file system that lacks them would: "refuse-calls renameNoReplace=EINVAL link=EPERM -- vocab".
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/RefusedCalls.h"

int main(int argc, char** argv) {
  std::vector<testsupport::Refusal> refusals;
  int next = 1;
  for (; next < argc && std::strcmp(argv[next], "--") != 0; ++next) {
    testsupport::Refusal refusal{};
    if (!testsupport::parseRefusal(argv[next], refusal)) {
      std::fprintf(stderr, "refuse-calls: not a CALL=ERROR: %s\n", argv[next]);
      return 2;
    }
    refusals.push_back(refusal);
  }
  if (next + 1 >= argc) {
    std::fprintf(stderr, "usage: refuse-calls CALL=ERROR... -- PROGRAM ARGUMENT...\n");
    return 2;
  }
  const std::string refused = testsupport::refuseOnThisThread(refusals);
  if (!refused.empty()) {
    std::fprintf(stderr, "refuse-calls: %s\n", refused.c_str());
    return 3;
  }
  ::execvp(argv[next + 1], argv + next + 1);
  std::fprintf(stderr, "refuse-calls: cannot start %s: %s\n", argv[next + 1], std::strerror(errno));
  return 127;
}

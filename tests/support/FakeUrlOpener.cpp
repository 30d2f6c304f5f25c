#include "tests/support/FakeUrlOpener.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/TempHome.h"

namespace testsupport {

FakeUrlOpener::FakeUrlOpener(int exitStatus, const std::string& name)
    : folder_(makeTempDir("vocab-opener")) {
  const std::string script = folder_ + "/" + name;
  {
    std::ofstream out(script);
    out << "#!/bin/sh\n"
        << "{ printf 'call %s\\n' \"$#\"; for a in \"$@\"; do printf '<%s>\\n' \"$a\"; done; } "
        << ">> '" << folder_ << "/calls.log'\n"
        << "exit " << exitStatus << "\n";
  }
  chmod(script.c_str(), 0755);
  const char* path = std::getenv("PATH");
  hadPath_ = path != nullptr;
  oldPath_ = path ? path : "";
  setenv("PATH", (folder_ + (hadPath_ ? ":" + oldPath_ : "")).c_str(), 1);
}

FakeUrlOpener::~FakeUrlOpener() {
  if (hadPath_) {
    setenv("PATH", oldPath_.c_str(), 1);
  } else {
    unsetenv("PATH");
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::vector<std::vector<std::string>> FakeUrlOpener::calls() const {
  std::vector<std::vector<std::string>> found;
  std::ifstream in(folder_ + "/calls.log");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("call ", 0) == 0) {
      found.emplace_back();
    } else if (!found.empty() && line.size() >= 2 && line.front() == '<' && line.back() == '>') {
      found.back().push_back(line.substr(1, line.size() - 2));
    }
  }
  return found;
}

std::vector<std::string> FakeUrlOpener::addresses() const {
  std::vector<std::string> first;
  for (const auto& call : calls()) first.push_back(call.empty() ? "" : call.front());
  return first;
}

}  // namespace testsupport

#include "tests/support/FakeUrlOpener.h"

#include <sys/stat.h>

#include <algorithm>
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
    // Each call writes its record apart and then renames it into place whole: openers started
    // together would otherwise interleave their lines in one log. Names sort in time order.
    out << "#!/bin/sh\nPATH=/usr/bin:/bin\n"
        << "record=$(mktemp '" << folder_ << "/.record.XXXXXX')\n"
        << "{ printf 'call %s\\n' \"$#\"; for a in \"$@\"; do printf '<%s>\\n' \"$a\"; done; } "
        << "> \"$record\"\n"
        << "mv \"$record\" '" << folder_ << "'/call-$(date +%s%N)-$$\n"
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
  std::vector<std::string> records;
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("call-", 0) == 0) records.push_back(entry.path().string());
  }
  std::sort(records.begin(), records.end());
  std::vector<std::vector<std::string>> found;
  for (const auto& record : records) {
    std::ifstream in(record);
    std::string line;
    found.emplace_back();
    while (std::getline(in, line)) {
      if (line.size() >= 2 && line.front() == '<' && line.back() == '>')
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

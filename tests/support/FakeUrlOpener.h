// A stand-in for the desktop's opener program (xdg-open) for one test: a script put first on the
// PATH that writes down the arguments of every call and exits with a chosen status. The PATH and
// the folder are restored and removed at the end.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

class FakeUrlOpener {
 public:
  explicit FakeUrlOpener(int exitStatus = 0, const std::string& name = "xdg-open");
  ~FakeUrlOpener();
  FakeUrlOpener(const FakeUrlOpener&) = delete;
  FakeUrlOpener& operator=(const FakeUrlOpener&) = delete;

  // The calls so far, each the list of its arguments (arguments holding no line break).
  std::vector<std::vector<std::string>> calls() const;
  // The first argument of each call.
  std::vector<std::string> addresses() const;

 private:
  std::string folder_;
  std::string oldPath_;
  bool hadPath_ = false;
};

}  // namespace testsupport

// The top windows a display shows, as a window manager hears of them: what a learner's desktop
// would put on the screen while the program starts.
#pragma once

#include <string>
#include <vector>

struct _XDisplay;

namespace apptest {

class MappedWindows {
 public:
  explicit MappedWindows(const std::string& display);  // from now on
  ~MappedWindows();
  MappedWindows(const MappedWindows&) = delete;
  MappedWindows& operator=(const MappedWindows&) = delete;

  bool watching() const { return connection_ != nullptr; }
  // The windows mapped on the screen so far, each once, in the order they came.
  std::vector<unsigned long> seen();

 private:
  _XDisplay* connection_ = nullptr;
  std::vector<unsigned long> seen_;
};

}  // namespace apptest

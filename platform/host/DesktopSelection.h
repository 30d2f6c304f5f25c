// Reads the desktop's clipboard or primary selection on an X display without holding up the
// program: the owner (another program, on a busy machine perhaps seconds slow) answers on a
// connection of its own, off the main thread, and the text comes back by a perform on the main run
// loop. The display library's own read gave up after a second and then took the selection over
// with an empty text, so a paste on a busy machine pasted nothing.
#pragma once

#include <functional>
#include <string>

namespace plat {

class DesktopSelection {
 public:
  enum class Kind { Clipboard, Primary };
  // How long the owner may take to answer.
  static constexpr double kPatienceSeconds = 20;

  // On an X display (DISPLAY named): starts reading and returns true; `done` later gets the text
  // on the main thread ("" when nobody owns the selection, the owner refused or did not answer in
  // time). False, and `done` never called, without an X display.
  static bool read(Kind kind, std::function<void(const std::string&)> done);
};

}  // namespace plat

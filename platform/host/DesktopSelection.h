// Reads the desktop's clipboard or primary selection on an X display without holding up the
// program: the owner (another program, on a busy machine perhaps seconds slow) answers on a
// connection of its own, off the main thread, and the text comes back by a perform on the main run
// loop. The display library's own read gave up after a second and then took the selection over
// with an empty text, so a paste on a busy machine pasted nothing.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace plat {

class DesktopSelection {
 public:
  enum class Kind { Clipboard, Primary };
  // How long the owner may take to answer, and then to hand over each piece of a long text.
  static constexpr double kPatienceSeconds = 20;

  // On an X display (DISPLAY named): starts reading and returns true; `done` later gets the text
  // on the main thread ("" when nobody owns the selection, the owner refused or did not answer in
  // time). A text longer than `most` bytes is read no further than a little past `most`: `done`
  // gets those first bytes, longer than `most`, which is how it tells. False, and `done` never
  // called, without an X display.
  static bool read(Kind kind, size_t most, std::function<void(const std::string&)> done);
};

}  // namespace plat

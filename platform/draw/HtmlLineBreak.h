// The line break element of laid-out pages. The engine lays a break out as an empty block, which
// ends a line of text but takes no room of its own; a browser gives a break that starts a line
// (after another break, after a block, or first in its block) a whole empty line.
#pragma once

// The engine's umbrella header comes first: its element headers need it.
#include <litehtml.h>

#include <el_break.h>

#include <memory>

namespace plat::html {

class LineBreak : public litehtml::el_break {
 public:
  explicit LineBreak(const std::shared_ptr<litehtml::document>& doc) : litehtml::el_break(doc) {}

  int render(int x, int y, int max_width, bool second_pass = false) override;

  // Whether nothing of its line comes before the break.
  bool startsLine() const;
};

}  // namespace plat::html

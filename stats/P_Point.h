// One computed chart point in the chart view's coordinates, kept as floats like the
// coordinates the chart works out.
#pragma once

struct P_Point {
  float x = 0;
  float y = 0;

  bool operator==(const P_Point&) const = default;

  static P_Point makeWithX(float x, float y) { return {x, y}; }
};

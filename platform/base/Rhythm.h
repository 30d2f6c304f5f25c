// Keeping a beat at a fixed interval when the work between beats runs late.
#pragma once

namespace plat {

// The time a beat of `interval` that fell due after `last` counts as having come at, given at
// `now`: its due time when it comes less than an interval late (a turn of work ran past it), so
// that the beats after it keep their rhythm; else now (long late, early, or a clock set back).
inline double beatTime(double now, double last, double interval) {
  const double due = last + interval;
  return now >= due && now - due < interval ? due : now;
}

}  // namespace plat

// A position fix as a location service reports it: the coordinate in degrees.
#pragma once

namespace plat {

struct LocationCoordinate {
  double latitude = 0;
  double longitude = 0;
};

struct Location {
  LocationCoordinate coordinate;
};

}  // namespace plat

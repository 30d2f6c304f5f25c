// Process-wide seedable random numbers standing in for the C library's rand/srand and
// random/srandom: the same seed gives the same sequence on every machine, so tests can fix it.
#pragma once

#include <cstdint>

namespace plat {

inline constexpr int kRandMax = 0x7fffffff;

void seedRand(unsigned seed);    // srand
int rand();                      // 0 ... kRandMax
void seedRandom(unsigned seed);  // srandom
long random();                   // 0 ... kRandMax

}  // namespace plat

// One extraction of a text as the text page makes it: nothing learned yet, nothing left out. Both
// the warm and the cold benchmarks time this call.
#pragma once

#include <benchmark/benchmark.h>

#include <string>

#include "extract/ExtractWord.h"
#include "platform/base/Value.h"

namespace bench {

// The number of headwords found; the words themselves are kept from the optimiser.
inline int extractOnce(const std::string& text) {
  ExtractWord extractor;
  plat::Value words, learned, none;
  const int added = extractor.extractWord(text, words, learned, none);
  benchmark::DoNotOptimize(words);
  return added;
}

}  // namespace bench

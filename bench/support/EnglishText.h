// The English text that the extraction benchmarks read: the project's sample passages, then
// every headword of the shipped word library in turn, bare or inflected, cut to a size.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace bench {

// Made once per size from the current store's library; exits with a message when a sample
// passage is missing.
const std::string& englishText(size_t bytes);

// Every headword of the current store's library.
std::vector<std::string> libraryWords();

}  // namespace bench

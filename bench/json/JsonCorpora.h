// JSON documents of about a requested size, made by a fixed generator so that every run and every
// library decodes the same bytes.
#pragma once

#include <cstddef>
#include <string>

// Shaped like the server's replies: the common reply keys, a list of shared notes as objects and
// as rows, Chinese text with some escapes.
std::string makeReplyCorpus(size_t targetBytes);

// The same kind of reply written in English: keys and text all ASCII, a few escapes.
std::string makeAsciiCorpus(size_t targetBytes);

// Rows of numbers, as the statistics and day logs travel: integers of all sizes and signs, and
// decimals with fractions and exponents.
std::string makeNumberCorpus(size_t targetBytes);

// Builds JSON documents shaped like the server's replies (the common reply keys, a list of shared
// notes as objects and as rows, Chinese text with some escapes), of about a requested size.
#pragma once

#include <cstddef>
#include <string>

std::string makeReplyCorpus(size_t targetBytes);

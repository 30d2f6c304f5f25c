// A localised text used as a format with one integer argument.
#pragma once

#include <cstdint>
#include <string>

// The text with its first integer placeholder ("%i", "%d", "%li", "%lld", "%ld") replaced by the
// number and "%%" by "%". Nothing else is read as a conversion, so a text with a stray "%@" or a
// second "%i" cannot make the formatting read arguments that were never passed.
std::string formatOneInteger(const std::string& format, int64_t number);

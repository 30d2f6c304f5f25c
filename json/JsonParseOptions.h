// Options of a JSON decode: a bit set of which only the values 0 to 15 are legal.
#pragma once

#include <cstdint>

using JsonParseOptionFlags = uint64_t;

enum : JsonParseOptionFlags {
  JsonParseStrict = 0,
  JsonParseFlagComments = 1,               // "//" and "/* */" comments count as white space
  JsonParseFlagUnicodeNewlines = 2,        // U+0085, U+2028, U+2029 count as newlines
  JsonParseFlagReplaceInvalidUnicode = 4,  // bad UTF-8 and escapes become U+FFFD
  JsonParseFlagTrailingText = 8,           // text after the top-level value is ignored
  JsonParseFlagValidMask = 15,
};

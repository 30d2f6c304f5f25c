// Small text, data and number helpers shared across the app: MD5 digests as lower-case hex,
// percent-escaping for URLs, HTML escaping of learner-written text and a 64-bit number comparator.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/base/Value.h"

enum class ComparisonResult { OrderedAscending = -1, OrderedSame = 0, OrderedDescending = 1 };

namespace MyExtensions {

// 32 lower-case hex digits of the MD5 of the text's UTF-8 bytes, up to its first zero character.
std::string md5(std::string_view text);
// 32 lower-case hex digits of the MD5 of all the bytes.
std::string md5(const plat::Value::Bytes& data);

// Every byte outside letters, digits and "-._~" as %XX (upper-case hex) over the UTF-8 bytes.
std::string URLEncodedString(std::string_view text);
// Every %XX replaced by its byte; nullopt when an escape is malformed or the result is not UTF-8.
std::optional<std::string> URLDecodedString(std::string_view text);

// "&", the double quote, "<", ">" and the apostrophe as HTML character references, the ampersand
// first so that the references made afterwards stay intact. The apostrophe becomes "&#146;",
// which the word card's web view shows as a typographic closing quote.
std::string turnHtml(std::string_view text);

// Orders two numbers by their 64-bit integer values, exactly, with no floating point.
ComparisonResult longlongCompare(const plat::Value& receiver, const plat::Value& other);

}  // namespace MyExtensions

// Integers from server replies and stored texts, read the way the server's peers read them: a
// number as it is, a text by its leading digits ("128abc" is 128, "abc" is 0), anything else 0;
// values past the type's range stop at its ends instead of wrapping.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/Value.h"

namespace LeadingInteger {

int64_t of64(const std::string& text);
int64_t of64(const plat::Value& value);
int32_t of32(const std::string& text);
int32_t of32(const plat::Value& value);

}  // namespace LeadingInteger

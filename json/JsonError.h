// What a failed JSON decode or encode reports: always the domain "JsonErrorDomain" and code -1, a
// description and, for decoding, the byte index and line number of the first problem found.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

inline constexpr const char* kJsonErrorDomain = "JsonErrorDomain";
inline constexpr const char* kJsonAtIndexKey = "JsonAtIndexKey";
inline constexpr const char* kJsonLineNumberKey = "JsonLineNumberKey";

struct JsonError {
  std::string domain = kJsonErrorDomain;
  int code = -1;
  std::string localizedDescription;
  std::optional<uint64_t> atIndex;     // JsonAtIndexKey
  std::optional<uint64_t> lineNumber;  // JsonLineNumberKey
};

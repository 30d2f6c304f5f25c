// The exceptions of the JSON codec. They are raised only for programming errors (bad options, a
// missing input, changing an immutable decoded container), never for bad JSON.
#pragma once

#include <string>

#include "platform/base/NamedException.h"

inline constexpr const char* kJsonInvalidArgumentException = "InvalidArgumentException";
inline constexpr const char* kJsonRangeException = "RangeException";
inline constexpr const char* kJsonInternalInconsistencyException = "InternalInconsistencyException";
inline constexpr const char* kJsonOutOfMemoryException = "OutOfMemoryException";

[[noreturn]] inline void jsonRaise(const char* name, std::string reason) {
  throw plat::NamedException(name, std::move(reason));
}

// printf-style formatting for the codec's fixed message texts.
std::string jsonFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

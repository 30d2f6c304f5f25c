// Small readers shared by the backup and the sync down: panel texts, and server values that come
// as numbers or as numeric texts.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>

#include "platform/base/Bundle.h"
#include "platform/base/NamedException.h"
#include "platform/base/Value.h"

namespace databackup {

inline std::string text(const char* key) {
  return plat::localized(key, "InfoPlist");
}

inline int64_t integerOf(const plat::Value& value) {
  if (value.isNumber() || value.isBool()) return value.asInt();
  if (value.isString()) return std::strtoll(value.asString().c_str(), nullptr, 10);
  return 0;
}

// What a learner is shown of an error: the reason without the exception's name.
inline std::string reasonOf(const std::exception& error) {
  if (auto named = dynamic_cast<const plat::NamedException*>(&error)) return named->reason();
  return error.what();
}

}  // namespace databackup

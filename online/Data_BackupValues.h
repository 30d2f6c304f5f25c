// Small readers shared by the backup and the sync down: panel texts and the reasons of errors.
#pragma once

#include <exception>
#include <string>

#include "platform/base/Bundle.h"
#include "platform/base/NamedException.h"

namespace databackup {

inline std::string text(const char* key) {
  return plat::localized(key, "InfoPlist");
}

// What a learner is shown of an error: the reason without the exception's name.
inline std::string reasonOf(const std::exception& error) {
  if (auto named = dynamic_cast<const plat::NamedException*>(&error)) return named->reason();
  return error.what();
}

}  // namespace databackup

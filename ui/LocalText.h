// Localised texts of the main table that may be missing: a missing key gives "" rather than the
// key itself, so callers can fall back to a text of their own.
#pragma once

#include <string>

namespace localtext {

std::string orEmpty(const std::string& key);

}  // namespace localtext

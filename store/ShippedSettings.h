// The personal values the shipped learn.db holds: what each setting reads on a fresh install.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace ShippedSettings {

// (key, value) rows of the bundle's learn.db, read on a connection of their own that only reads;
// empty when the file is missing or unreadable. Any thread; it takes no lock of the store.
std::vector<std::pair<std::string, std::string>> read();

}  // namespace ShippedSettings

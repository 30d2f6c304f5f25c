// Single values of the server settings (the imprint) that the log service hands back.
#pragma once

#include <optional>
#include <string>

// The value of `key` in the stored imprint; nullopt when no imprint is stored or it lacks the key.
std::optional<std::string> imprintValueWithKey(const std::string& key);

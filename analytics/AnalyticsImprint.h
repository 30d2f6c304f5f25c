// The server settings (the imprint) that the log service hands back: stored as Thrift bytes,
// proved by a checksum, and read one value at a time.
#pragma once

#include <optional>
#include <string>

#include "analytics/records/analytics_types.h"

// The value of `key` in the stored imprint; nullopt when no imprint is stored or it lacks the key.
std::optional<std::string> imprintValueWithKey(const std::string& key);
// The stored imprint as read (partly, after a logged failure); nullopt when none is stored.
std::optional<AT::Imprint> storedImprint();
void storeImprint(const AT::Imprint& imprint);
// MD5 (lower-case hexadecimal) over the keys in case-insensitive order, each with its value, time
// stamp and guid, then the version.
std::string generateImprintChecksum(const AT::Imprint& imprint);
bool validateImprintChecksum(const AT::Imprint& imprint);

// The settings screen's line under the backup row: how long ago the last backup or sync was.
#pragma once

#include <cstdint>
#include <string>

namespace BackupAgeText {

// `lastSyn` and `now` in stored seconds (local time since 2001); 0 means never. More than a day
// counts days, from 3601 seconds hours, below that minutes. A backup stamped ahead of the clock
// (the clock set back, or a server clock ahead) reads as just now, never as a negative age.
std::string text(int64_t lastSyn, int64_t now);

}  // namespace BackupAgeText
